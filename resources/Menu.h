// Context menu 4004 of the tree: ids, texts and order.
#pragma once

#include <array>

namespace quorvelin {

enum MenuCommand : int {
  kCmdAddData = 32771,
  kCmdDeleteData = 32773,
  kCmdModifyData = 32776,
  kCmdSubmit = 32777,
  kCmdRefresh = 32780,
  kCmdModifyNit = 32783,
  kCmdSetChannel = 32786,
  kCmdSaveCurrentTable = 32787,
  kCmdLoadCurrentTable = 32788,
};

struct MenuItem {
  int id;
  const char* text;
};

inline constexpr int kContextMenuId = 4004;
inline constexpr std::array<MenuItem, 9> kContextMenu = {{
    {kCmdAddData, "Add Data"},
    {kCmdDeleteData, "Delete Data"},
    {kCmdModifyData, "Modify Data"},
    {kCmdModifyNit, "Modify NIT"},
    {kCmdSubmit, "Submit"},
    {kCmdRefresh, "Refresh"},
    {kCmdSetChannel, "SetChannel"},
    {kCmdSaveCurrentTable, "SaveCurrentTable"},
    {kCmdLoadCurrentTable, "LoadCurrentTable"},
}};

}  // namespace quorvelin

// Context menu 4004 of the tree: ids, texts (UTF-8) and order.
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
  kCmdImportCapture = 32789,
  kCmdExportStream = 32790,
};

struct MenuItem {
  int id;
  const char* text;
};

inline constexpr int kContextMenuId = 4004;
inline constexpr std::array<MenuItem, 11> kContextMenu = {{
    {kCmdAddData, "Add Data"},
    {kCmdDeleteData, "Delete Data"},
    {kCmdModifyData, "Modify Data"},
    {kCmdModifyNit, "Modify NIT"},
    {kCmdSubmit, "Submit"},
    {kCmdRefresh, "Refresh"},
    {kCmdSetChannel, "SetChannel"},
    {kCmdSaveCurrentTable, "SaveCurrentTable"},
    {kCmdLoadCurrentTable, "LoadCurrentTable"},
    {kCmdImportCapture, "Import from capture\u2026"},  // on a port node
    {kCmdExportStream, "Export to .ts or XML\u2026"},
}};

}  // namespace quorvelin

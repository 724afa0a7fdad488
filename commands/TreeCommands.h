// The context-menu commands of the tree: menu state, routing by command id, Add, Delete, Modify
// and table creation. Dialogs run through a DialogRunner (the editor's renderer, or a test).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "device/FlowLog.h"
#include "device/LinkSettings.h"
#include "dialogs/common/Form.h"
#include "resources/Menu.h"
#include "sections/TableExchange.h"
#include "tree/TableTreeCtrl.h"
#include "util/Ui.h"

namespace quorvelin {

// Enabled (true) or greyed (false) per command id of the context menu.
using MenuState = std::map<int, bool>;

class TreeCommands {
 public:
  TreeCommands(TableTreeCtrl& tree, Ui& ui, DialogRunner& runner, TableExchange& exchange);

  // The settings of the device link the commands act on: the status line shows them, SetChannel
  // changes their channel before the tables are read again. Without them: the exchange file.
  void UseLink(LinkSettings& settings) { link_ = &settings; }

  // Recomputes the six flags of the tree and says which of the items are enabled (import and
  // export on a port node only).
  MenuState UpdateMenuState();
  // Routes a menu command to its handler; false when the id is not one of the menu's.
  bool OnCommand(int id);
  // Double-click: runs the Modify dispatch; true stops the default expand/collapse.
  bool OnDoubleClick() { return ModifyNode(); }

  // Asks "PortA has changes that were not submitted. Discard them?" (naming every port of
  // `ports` with such edits); true when there are none or the user answered Yes.
  bool MayDiscardEdits(const std::vector<int>& ports);
  bool MayDiscardAllEdits() { return MayDiscardEdits({1, 2}); }

  void AddNode();
  void DeleteNode();
  bool ModifyNode();
  void ModifyNit();
  void Refresh();
  void Submit();
  void SetChannel();
  void SaveCurrentTable();
  void LoadCurrentTable();

  // Shown while Refresh and Submit run (none: nothing is shown).
  void SetProgress(FlowProgress* progress) { progress_ = progress; }
  // The status line: device address, framing, ports or channel, and the result of the last flow,
  // import, export, save or load.
  std::string StatusLine() const;

  bool CreatePat(ItemHandle root);
  bool CreateSdt(ItemHandle root);
  bool CreateCat(ItemHandle root);
  bool CreateNitSection(ItemHandle root);

 private:
  bool PortNodeSelected() const;
  // What a command did becomes the status line's result (nothing done: it stays).
  void Tell(std::optional<std::string> done);
  void ModifyTdt(ItemHandle root);
  void ModifyTot(ItemHandle root);

  TableTreeCtrl& tree_;
  Ui& ui_;
  DialogRunner& runner_;
  TableExchange& exchange_;
  FlowProgress* progress_ = nullptr;
  std::string lastResult_;
  LinkSettings* link_ = nullptr;
};

}  // namespace quorvelin

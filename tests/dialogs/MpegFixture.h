// Dialogs run without a display on a two-port tree. With the samples, port 1 holds the real
// captures of every table and port 2 new sections as the Add command makes them. A run is judged
// by what changed in the lines shown and in the bytes the builders then write, as libdvbpsi reads
// them; every branch must keep its loop length lines equal to the bytes of their items.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin::test {

using K = NodeKind;

// The nth item of a kind under a port node, depth first.
struct Where {
  NodeKind kind;
  int nth = 0, port = 1;
};

class MpegTree {
 public:
  explicit MpegTree(bool samples = false, int portMode = 1, int textCode = 0);
  ~MpegTree();

  ItemHandle Find(Where w) const;
  ItemHandle Select(Where w) { return Select(Find(w)); }
  ItemHandle Select(ItemHandle item);
  // The lines shown and the bytes built of every table.
  std::string Snapshot();

  TableTreeCtrl tree;
  RecordingUi ui;
};

// Fields as the user sets them: the text typed; "#n" picks entry n of a list, "[x]" or "[ ]" sets
// a check box, "@n" marks row n of a list view, "!" clicks the control.
using Fields = std::vector<std::pair<int, std::string>>;
void Type(Form& form, const Fields& fields);
Fields Join(Fields fields, const Fields& more);

using Factory = std::function<std::unique_ptr<Form>(MpegTree&)>;
template <class D, class... A>
Factory Make(A... a) { return [=](MpegTree& t) { return std::make_unique<D>(t.tree, t.ui, a...); }; }

// Start-up, a click on tab `page`, the fields typed, Ok: true when the dialog closes.
bool RunOk(Form& dialog, int page, const Fields& fields);
// The same on the item `w` selected.
bool RunOn(MpegTree& t, Where w, const Factory& make, int page, const Fields& fields);

// libdvbpsi's reading of the port's table as built: one entry per field and descriptor, each
// descriptor named by its loop ("i." program info, "e<n>." component n, "s<n>." service n,
// "n." the network or bouquet loop, "t<n>." transport stream n); "error ..." for what it refused.
std::vector<std::string> Decoded(TableTreeCtrl& tree, Table table, int port = 1);
// The length line before each loop holder shows the bytes of the holder's items; a CRC_32 line
// ends its section.
void ExpectBranchesWellFormed(const TableTreeCtrl& tree);

// A dialog refusing what was typed: one message, the focus on the field, its text kept, the tree
// unchanged; then, with `largest` typed into that field, taking it.
struct Refusal {
  Where where;
  Factory make;
  int page;  // of a tab dialog, -1 for other forms
  Fields fields;
  std::string message;  // "": the focus moves without a message
  int focus = 0;        // 0: not compared
  std::function<void(MpegTree&)> setup = nullptr;
  const char* largest = nullptr;
};
void ExpectRefused(const Refusal& r);
// The emptiness checks of a form in the order of its fields: with `fields` typed but field n and
// the ones after it blank, the dialog refuses with names[n] + suffix ("" for a field not checked).
void ExpectBlanks(Where w, const Factory& make, int page, const Fields& fields,
                  const std::vector<std::string>& names, const std::string& suffix = " can not be null!");

// A dialog taking what was typed: the changes of the port's table as libdvbpsi decodes it and of
// the lines shown ("*" not compared); "..." in an expectation stands for any text.
struct Edit {
  Where where;
  Factory make;
  int page;
  Fields fields;
  Table table;
  std::string bytes;
  std::string lines = "*";
  int textCode = 0;
  std::function<void(MpegTree&)> setup = nullptr;
};
void ExpectEdit(const Edit& e);

}  // namespace quorvelin::test

// Helpers shared by the editor's tests.
#pragma once

#include <QAbstractItemModel>
#include <QString>

#include "tree/TableTreeCtrl.h"

namespace quorvelin::test {

// One line per row, indented two blanks per depth (the layout of DumpTree), as the model shows it.
QString DumpModel(const QAbstractItemModel& model, const QModelIndex& parent = {}, int depth = 0);

// A PAT section with its count line and `programs` program items under the first port's PAT root.
ItemHandle AddPatSection(TableTreeCtrl& tree, int programs);

}  // namespace quorvelin::test

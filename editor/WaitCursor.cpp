#include "editor/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace quorvelin {

WaitCursor::WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
WaitCursor::~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }

bool WaitCursorExchange::ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) {
  if (!link_) return false;
  const WaitCursor wait;
  return link_->ReadTable(buffer, size, pid, selector, port, bat);
}

bool WaitCursorExchange::WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port,
                                    bool bat) {
  if (!link_) return false;
  const WaitCursor wait;
  return link_->WriteTable(packets, length, pid, selector, port, bat);
}

}  // namespace quorvelin

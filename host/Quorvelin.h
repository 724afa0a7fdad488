// What a host uses to open the editor. Every entry point may be called from any thread, also in
// a process without a Qt application (the library then runs the editor on a GUI thread of its
// own); it opens the editor and returns when the user has closed it. One editor at a time: a
// call while one is open is refused with a message and returns at once.
#pragma once

class QWidget;

// The device at `deviceAddress` (IPv4, network byte order) over UDP; 0 selects the exchange file.
// Port mode 1: ports A and B; 2 or 3: one port.
void ShowQuorvelin(unsigned long deviceAddress, int portMode);
// The exchange file, with the host's two callbacks (polled until each returns true).
void ShowQuorvelin(int portMode, bool (*first)(), bool (*second)());

// The editor window for a host that builds it itself: the only way to give a parent window (a
// widget of the host's own Qt application, on its thread) or protocol mode 0x47 (fragmented UDP
// transfer). Construct it anywhere; DoModal opens the editor.
class CDlgQuorvelin {
 public:
  CDlgQuorvelin(unsigned long deviceAddress, QWidget* parent, int portMode, bool (*first)(), bool (*second)(),
                int protocolMode);
  // Returns when the editor was closed: 0 (closed), or -1 when it could not open.
  int DoModal();

 private:
  unsigned long deviceAddress_;
  QWidget* parent_;
  int portMode_;
  bool (*first_)();
  bool (*second_)();
  int protocolMode_;
};

// What a host calls to open the editor. Each call runs one editor window modally on the calling
// thread and returns when the user has closed it.
#pragma once

// The device at `deviceAddress` (IPv4, network byte order) over UDP; 0 selects the exchange file.
// Port mode 1: ports A and B; 2 or 3: one port.
void ShowQuorvelin(unsigned long deviceAddress, int portMode);
// The exchange file, with the host's two callbacks (polled until each returns true).
void ShowQuorvelin(int portMode, bool (*first)(), bool (*second)());

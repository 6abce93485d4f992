#include <winsock2.h>
// winsock2.h first: windows.h would otherwise bring in the old socket header.
#include <windows.h>

#include <atomic>

#include "host/platform/headless/interrupt.h"

namespace corvane {

namespace {

// The console's Ctrl+C, Ctrl+Break and close events play the part of the signals. The handler
// runs on a thread of its own, so it may send: one byte into a loopback socket pair whose read
// end every wait of the runner watches (the channel's waits take sockets only).
std::atomic<DWORD> gEvent{~DWORD(0)};  // the first event, ~0 before any
SOCKET gRead = INVALID_SOCKET;
SOCKET gWrite = INVALID_SOCKET;

BOOL WINAPI onConsoleEvent(DWORD event) {
    DWORD none = ~DWORD(0);
    if (!gEvent.compare_exchange_strong(none, event)) return FALSE;  // a second one: default
    const char byte = 1;
    if (gWrite != INVALID_SOCKET) send(gWrite, &byte, 1, 0);
    // For a closing console Windows ends the process when the handler returns: give the run
    // loop time to close the program's files first.
    if (event == CTRL_CLOSE_EVENT) Sleep(4000);
    return TRUE;
}

bool makePair() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof addr;
    bool ok = bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
              getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &size) == 0 &&
              listen(listener, 1) == 0;
    if (ok) {
        gWrite = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        ok = gWrite != INVALID_SOCKET &&
             connect(gWrite, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    if (ok) {
        gRead = accept(listener, nullptr, nullptr);
        ok = gRead != INVALID_SOCKET;
    }
    closesocket(listener);
    if (!ok) {
        if (gWrite != INVALID_SOCKET) closesocket(gWrite);
        gWrite = gRead = INVALID_SOCKET;
        return false;
    }
    SetHandleInformation(reinterpret_cast<HANDLE>(gRead), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(reinterpret_cast<HANDLE>(gWrite), HANDLE_FLAG_INHERIT, 0);
    return true;
}

}  // namespace

bool installInterruptSignals() {
    const bool paired = gRead != INVALID_SOCKET || makePair();
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    return paired;
}

bool interruptRequested() {
    return gEvent.load() != ~DWORD(0);
}

const char* interruptSignalName() {
    switch (gEvent.load()) {
        case ~DWORD(0):
            return "";
        case CTRL_C_EVENT:
            return "Ctrl+C";
        case CTRL_BREAK_EVENT:
            return "Ctrl+Break";
        case CTRL_CLOSE_EVENT:
            return "the console's closing";
        default:
            return "a console event";
    }
}

int interruptDescriptor() {
    // Socket handles are small kernel handle values; they fit the channel's int.
    return gRead == INVALID_SOCKET ? -1 : int(gRead);
}

}  // namespace corvane

#pragma once
// The few socket operations the network module needs, over BSD sockets or WinSock, so that the
// module itself holds no platform code. Plain functions on a handle: no state, any thread. The
// one exception is WakeUp, which lets another thread end the network thread's idle wait.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#ifdef _WIN32
using CLSocketHandle = std::uintptr_t; // SOCKET
#else
using CLSocketHandle = int;
#endif
// INVALID_SOCKET on Windows (all bits set), -1 elsewhere.
constexpr CLSocketHandle kInvalidSocket = static_cast<CLSocketHandle>(-1);

namespace clsocket {

// Start and end the use of the socket library (WinSock 2.2; nothing elsewhere).
void startup();
void cleanup();

// The dotted IPv4 text of the first address of `host`, or false when it does not resolve.
bool resolveIPv4(const std::string& host, std::string& dotted);

CLSocketHandle openTcp();
void closeSocket(CLSocketHandle socket);

// Asked between the short slices of a wait; true gives the wait up. Empty: never.
using Cancel = std::function<bool()>;

// Connects to dotted IPv4 text and port, waiting at most timeoutMs, and leaves the socket
// non-blocking. False when the address is not dotted IPv4 text, refused, unreachable, too slow,
// or when `cancel` gave the wait up.
bool connectWithin(CLSocketHandle socket, const std::string& dotted, uint16_t port, int timeoutMs,
                   const Cancel& cancel = {});

// Makes the socket non-blocking, so that every wait goes through waitFor, and keeps a send to a
// closed peer from raising SIGPIPE where the platform does that per socket.
void configure(CLSocketHandle socket);

// True when a receive would not block (data, end of stream or error), within `microseconds`.
bool readable(CLSocketHandle socket, int microseconds);

// Waits until a receive (or with `forSend`, a send) would not block, for at most timeoutMs, in
// slices short enough that `cancel` is asked every kWaitSliceMs. A socket in error counts as
// ready: the call that follows reports the error.
enum class Wait { Ready, TimedOut, Cancelled };
constexpr int kWaitSliceMs = 20;
Wait waitFor(CLSocketHandle socket, bool forSend, int timeoutMs, const Cancel& cancel);

// Ends a waitReadable early from any thread. On POSIX a non-blocking self-pipe: raise() writes a
// byte, the wait watches the read end beside the socket and drains it. WinSock cannot wait on a
// pipe, and a pipe that could not be made is no better: there raise() does nothing and every
// waitReadable lasts at most kWakeUpFallbackMs, the pacing of a loop that cannot be woken.
class WakeUp {
public:
    WakeUp();
    ~WakeUp();
    WakeUp(const WakeUp&) = delete;
    WakeUp& operator=(const WakeUp&) = delete;

    // Never blocks: with bytes already waiting in the pipe the wake-up is pending anyway.
    void raise();

private:
    friend bool waitReadable(CLSocketHandle, WakeUp&, int);
    void drain();
    int readEnd = -1;
    int writeEnd = -1;
};
constexpr int kWakeUpFallbackMs = 1;

// Waits at most timeoutMs until the socket is readable (data, end of stream or error: true), or
// until the wake-up is raised (false); a raised wake-up is reset either way. An invalid socket
// is not watched, only the wake-up. A raise that came before the call ends the wait at once, so
// a change made before raise() and looked at before the call is never slept through.
bool waitReadable(CLSocketHandle socket, WakeUp& wakeUp, int timeoutMs);

// One send or receive call, retried when a signal interrupts it; never raises SIGPIPE.
// The result is the count passed (0 at end of stream for receive), kWouldBlock when nothing can
// pass without waiting, or -1 on failure.
constexpr long kWouldBlock = -2;
long sendSome(CLSocketHandle socket, const uint8_t* data, size_t length);
long recvSome(CLSocketHandle socket, uint8_t* data, size_t length);

} // namespace clsocket

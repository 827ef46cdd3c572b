#pragma once

#include <atomic>
#include <httplib.h>
#include <string>
#include <thread>

namespace rundel::test {

/// An HTTP server on loopback, at a port the system chose: the stand-in for a service the
/// program talks to, answering as the real one documents. Routes go in before start().
class LoopbackServer {
public:
    LoopbackServer() = default;
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;
    ~LoopbackServer() { stop(); }

    void start() {
        server.set_keep_alive_timeout(1); // so that stop() need not wait for idle connections
        port = server.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server.listen_after_bind(); });
        // stop() before the loop runs would be lost and leave the thread listening.
        while (!server.is_running()) {
            std::this_thread::yield();
        }
    }
    void stop() {
        server.stop();
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    [[nodiscard]] std::string base() const { return "http://127.0.0.1:" + std::to_string(port); }

    httplib::Server server;
    int port = 0;
    std::atomic<int> requests{0};

private:
    std::thread thread_;
};

} // namespace rundel::test

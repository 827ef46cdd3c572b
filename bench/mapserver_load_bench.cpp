// Map server under load, on loopback against the real server in this process: idle
// connections that hold workers, keep-alive downloads, bursts of new clients, and large posts.

#include "benchserver.h"
#include "benchsupport.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using rundel::bench::Clock;
using rundel::bench::ms_since;

long peak_rss_kib() {
    return rundel::bench::status_kib("VmHWM:");
}

int connect_to(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

/// A normal request while @p idle connections sit open: without a byte sent, or (half-open)
/// with the start of a request whose end never comes.
void idle_connections(int port, int idle, bool half_open) {
    std::vector<int> held;
    for (int i = 0; i < idle; ++i) {
        held.push_back(connect_to(port));
        if (half_open && held.back() >= 0) {
            ::send(held.back(), "GET / HTTP/1.1\r\nHost: x\r\n", 26, MSG_NOSIGNAL);
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(30);
    const auto start = Clock::now();
    const auto answer = client.Get("/favicon.ico");
    std::printf("  %3d %s connections: a request answered in %8.1f ms (%s)\n", idle,
                half_open ? "half-open" : "idle", ms_since(start), answer ? "ok" : "failed");
    for (const int fd : held) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

void keep_alive(int port) {
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    const int requests = 200;
    const auto start = Clock::now();
    int ok = 0;
    for (int i = 0; i < requests; ++i) {
        const auto answer = client.Get("/static/index.html");
        ok += answer && answer->status == 200 ? 1 : 0;
    }
    const double ms = ms_since(start);
    std::printf("  keep-alive: %d of %d downloads, %.0f requests/s\n", ok, requests,
                requests * 1000.0 / ms);
}

void burst(int port, int clients) {
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    std::atomic<bool> go{false};
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&] {
            while (!go.load()) {
                std::this_thread::yield();
            }
            httplib::Client client("127.0.0.1", port);
            client.set_connection_timeout(5);
            const auto answer = client.Get("/favicon.ico");
            if (!answer || answer->status != 204) {
                ++failed;
            }
        });
    }
    const auto start = Clock::now();
    go = true;
    for (auto& thread : threads) {
        thread.join();
    }
    std::printf("  burst of %d new clients: %d failed, %.0f ms\n", clients, failed.load(),
                ms_since(start));
}

/// Posts that declare 60 MB each and send it, as fast as loopback takes it.
void large_posts(int port, int posts) {
    const long before = peak_rss_kib();
    std::vector<std::thread> threads;
    std::atomic<int> refused{0};
    for (int i = 0; i < posts; ++i) {
        threads.emplace_back([&] {
            const int fd = connect_to(port);
            if (fd < 0) {
                return;
            }
            const std::size_t total = 60U * 1000U * 1000U;
            const std::string head = "POST /Rundel_SRV/nodedata HTTP/1.1\r\nHost: x\r\n"
                                     "Content-Type: application/json\r\nContent-Length: " +
                                     std::to_string(total) + "\r\n\r\n";
            ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
            const std::string chunk(1U << 20U, ' ');
            for (std::size_t sent = 0; sent < total;) {
                const ssize_t n = ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(n);
            }
            char answer[64] = {};
            if (::recv(fd, answer, sizeof answer - 1, 0) > 0 &&
                std::strstr(answer, " 413") != nullptr) {
                ++refused;
            }
            ::close(fd);
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::printf("  %d posts of 60 MB: %d refused with 413, server peak memory grew %.0f MiB\n",
                posts, refused.load(), static_cast<double>(peak_rss_kib() - before) / 1024.0);
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path data = fs::temp_directory_path() / "rundel-mapserver-load-bench";
    const auto started = rundel::bench::start_server(data);
    if (!started) {
        return 1;
    }
    rundel::mapserver::MapServer& server = *started;
    std::printf("map server under load:\n");
    keep_alive(server.port());
    for (const bool half_open : {false, true}) {
        idle_connections(server.port(), 40, half_open);
        idle_connections(server.port(), 200, half_open);
    }
    burst(server.port(), 400);
    large_posts(server.port(), 24);
    server.stop();
    fs::remove_all(data);
    return 0;
}

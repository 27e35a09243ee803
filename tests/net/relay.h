#pragma once

// A UDP relay on 127.0.0.1 between a guest and a host: each datagram is held
// for a delay plus some jitter (so some overtake others) or lost.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

class Relay {
public:
    struct Faults {
        int delayMs = 0;  // one way
        int jitterMs = 0;
        double loss = 0;
    };

    Relay(std::uint16_t hostPort, Faults faults, std::uint32_t seed) : faults(faults), rng(seed)
    {
        front = open(0);
        back = open(0);
        target = loopback(hostPort);
    }
    ~Relay()
    {
        ::close(front);
        ::close(back);
    }
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    // Where the guest connects.
    std::uint16_t port() const
    {
        sockaddr_in a{};
        socklen_t n = sizeof a;
        getsockname(front, reinterpret_cast<sockaddr*>(&a), &n);
        return ntohs(a.sin_port);
    }

    // Takes in what arrived and sends on what is due.
    void pump()
    {
        const auto now = Clock::now();
        std::uint8_t buffer[2048];
        for (;;) {
            sockaddr_in from{};
            socklen_t n = sizeof from;
            ssize_t got = recvfrom(front, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &n);
            if (got < 0)
                break;
            guest = from;
            hasGuest = true;
            hold(buffer, std::size_t(got), true, now);
        }
        for (;;) {
            ssize_t got = recvfrom(back, buffer, sizeof buffer, MSG_DONTWAIT, nullptr, nullptr);
            if (got < 0)
                break;
            hold(buffer, std::size_t(got), false, now);
        }
        for (std::size_t i = 0; i < held.size();) {
            if (held[i].due <= now) {
                const Held& h = held[i];
                if (h.toHost)
                    sendto(back, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&target),
                        sizeof target);
                else if (hasGuest)
                    sendto(front, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&guest),
                        sizeof guest);
                held.erase(held.begin() + long(i));
            } else {
                ++i;
            }
        }
    }

    long lost = 0;
    long passed = 0;

    static sockaddr_in loopback(std::uint16_t port)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }

private:
    using Clock = std::chrono::steady_clock;
    struct Held {
        Clock::time_point due;
        bool toHost;
        std::vector<std::uint8_t> bytes;
    };

    static int open(std::uint16_t port)
    {
        int s = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a = loopback(port);
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        return s;
    }

    void hold(const std::uint8_t* data, std::size_t size, bool toHost, Clock::time_point now)
    {
        if (std::uniform_real_distribution<>(0, 1)(rng) < faults.loss) {
            ++lost;
            return;
        }
        ++passed;
        const int jitter = faults.jitterMs > 0 ? int(rng() % unsigned(faults.jitterMs + 1)) : 0;
        held.push_back({now + std::chrono::milliseconds(faults.delayMs + jitter), toHost, {data, data + size}});
    }

    Faults faults;
    std::mt19937 rng;
    int front, back;
    sockaddr_in target{};
    sockaddr_in guest{};
    bool hasGuest = false;
    std::vector<Held> held;
};

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "vistrel/platform/net/reachability_flags.hpp"

namespace platform::net {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

// The output interfaces of the default routes of one address family; none when the
// routing table cannot be read.
std::optional<std::set<int>> defaultRouteInterfaces(int family) {
    FileDescriptor fd(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (!fd) return std::nullopt;
    struct {
        nlmsghdr header;
        rtmsg route;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.route.rtm_family = static_cast<unsigned char>(family);
    if (send(fd.get(), &request, request.header.nlmsg_len, 0) < 0) return std::nullopt;

    std::set<int> interfaces;
    alignas(nlmsghdr) char buffer[32768];
    for (;;) {
        pollfd pfd{fd.get(), POLLIN, 0};
        if (poll(&pfd, 1, 2000) <= 0) return std::nullopt;
        ssize_t received = recv(fd.get(), buffer, sizeof buffer, 0);
        if (received <= 0) return std::nullopt;
        auto remaining = static_cast<unsigned int>(received);
        for (auto* message = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(message, remaining);
             message = NLMSG_NEXT(message, remaining)) {
            if (message->nlmsg_type == NLMSG_DONE) return interfaces;
            if (message->nlmsg_type == NLMSG_ERROR) return std::nullopt;
            if (message->nlmsg_type != RTM_NEWROUTE) continue;
            auto* route = static_cast<rtmsg*>(NLMSG_DATA(message));
            if (route->rtm_dst_len != 0 || route->rtm_type != RTN_UNICAST || route->rtm_table == RT_TABLE_LOCAL ||
                (route->rtm_flags & RTNH_F_LINKDOWN))
                continue;
            int length = static_cast<int>(RTM_PAYLOAD(message));
            for (auto* attribute = RTM_RTA(route); RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length)) {
                if (attribute->rta_type == RTA_OIF) {
                    interfaces.insert(*static_cast<int*>(RTA_DATA(attribute)));
                } else if (attribute->rta_type == RTA_MULTIPATH) {
                    auto* hop = static_cast<rtnexthop*>(RTA_DATA(attribute));
                    int left = static_cast<int>(RTA_PAYLOAD(attribute));
                    while (RTNH_OK(hop, left)) {
                        if (!(hop->rtnh_flags & RTNH_F_LINKDOWN)) interfaces.insert(hop->rtnh_ifindex);
                        left -= static_cast<int>(RTNH_ALIGN(hop->rtnh_len));
                        hop = RTNH_NEXT(hop);
                    }
                }
            }
        }
    }
}

bool isUpAndRunning(const char* name) {
    FileDescriptor fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!fd) return false;
    ifreq request{};
    std::snprintf(request.ifr_name, sizeof request.ifr_name, "%s", name);
    if (ioctl(fd.get(), SIOCGIFFLAGS, &request) != 0) return false;
    short flags = request.ifr_flags;
    return (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
}

bool isCellular(const std::string& name) {
    if (name.starts_with("wwan")) return true;
    std::string path = "/sys/class/net/";
    path += name;
    path += "/uevent";
    std::ifstream uevent(path);
    std::string line;
    while (std::getline(uevent, line))
        if (line == "DEVTYPE=wwan") return true;
    return false;
}

std::mutex simulatedMutex;
std::optional<ReachabilityFlagWord> simulated;

class RoutingFlagsSource final : public ReachabilityFlagsSource {
public:
    ~RoutingFlagsSource() override { stopWatching(); }

    std::optional<ReachabilityFlagWord> currentFlags() const override {
        if (auto simulated = simulatedNetwork()) return simulated;
        auto v4 = defaultRouteInterfaces(AF_INET);
        auto v6 = defaultRouteInterfaces(AF_INET6);
        if (!v4 && !v6) return std::nullopt;
        bool cellular = false;
        bool other = false;
        for (const auto* set : {&v4, &v6}) {
            if (!*set) continue;
            for (int index : **set) {
                char name[IF_NAMESIZE] = {};
                if (!if_indextoname(static_cast<unsigned>(index), name) || !isUpAndRunning(name)) continue;
                // A wireless LAN, a cable and anything else not cellular count alike.
                (isCellular(name) ? cellular : other) = true;
            }
        }
        if (other) return ReachabilityFlags::reachable;
        if (cellular) return ReachabilityFlags::reachable | ReachabilityFlags::isWWAN;
        return ReachabilityFlagWord{0};
    }

    bool startWatching(std::function<void()> changed) override {
        std::lock_guard lock(mutex_);
        if (thread_.joinable()) {
            std::lock_guard callbackLock(callbackMutex_);
            changed_ = std::move(changed);
            return true;
        }
        auto socketFd = std::make_shared<FileDescriptor>(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
        auto wake = std::make_shared<FileDescriptor>(eventfd(0, EFD_CLOEXEC));
        if (!*socketFd || !*wake) return false;
        sockaddr_nl address{};
        address.nl_family = AF_NETLINK;
        address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
        if (bind(socketFd->get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
        {
            std::lock_guard callbackLock(callbackMutex_);
            changed_ = std::move(changed);
        }
        wake_ = wake;
        thread_ = std::thread([this, socketFd, wake] { watch(socketFd->get(), wake->get()); });
        return true;
    }

    void stopWatching() override {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable()) return;
        std::uint64_t one = 1;
        if (write(wake_->get(), &one, sizeof one) < 0) {
            // The eventfd cannot be full after one write; nothing else can fail here.
        }
        thread_.join();
        wake_.reset();
        std::lock_guard callbackLock(callbackMutex_);
        changed_ = nullptr;
    }

private:
    void watch(int socketFd, int wakeFd) {
        char buffer[8192];
        for (;;) {
            pollfd fds[2] = {{socketFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents) return;
            if (!(fds[0].revents & POLLIN)) return;
            while (recv(socketFd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
            }
            std::function<void()> changed;
            {
                std::lock_guard callbackLock(callbackMutex_);
                changed = changed_;
            }
            if (changed) changed();
        }
    }

    std::mutex mutex_;           // start and stop
    std::mutex callbackMutex_;   // the callback, also read by the watching thread
    std::function<void()> changed_;
    std::shared_ptr<FileDescriptor> wake_;
    std::thread thread_;
};

}  // namespace

std::shared_ptr<ReachabilityFlagsSource> makeRoutingFlagsSource() { return std::make_shared<RoutingFlagsSource>(); }

void setSimulatedNetwork(std::optional<ReachabilityFlagWord> flags) {
    std::lock_guard lock(simulatedMutex);
    simulated = flags;
}

std::optional<ReachabilityFlagWord> simulatedNetwork() {
    std::lock_guard lock(simulatedMutex);
    return simulated;
}

}  // namespace platform::net

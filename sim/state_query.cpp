#include "state_query.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane_board {

std::optional<std::string> queryState(const Options& options, int timeoutMs, std::string& error) {
    sockaddr_in board{};
    board.sin_family = AF_INET;
    board.sin_port = htons(options.udpPort);
    if (inet_pton(AF_INET, options.udpAddress.c_str(), &board.sin_addr) != 1) {
        error = "not an IPv4 address: " + options.udpAddress;
        return std::nullopt;
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::optional<std::string> out;
    static constexpr char kRequest[] = "A50208\r";
    if (connect(fd, reinterpret_cast<const sockaddr*>(&board), sizeof board) != 0 ||
        send(fd, kRequest, sizeof kRequest - 1, 0) < 0) {
        error = std::strerror(errno);
    } else {
        pollfd p{fd, POLLIN, 0};
        char buffer[2048];
        const int ready = poll(&p, 1, timeoutMs);
        const ssize_t n = ready > 0 ? recv(fd, buffer, sizeof buffer, 0) : -1;
        if (ready == 0)
            error = "no answer from " + options.udpAddress + ":" + std::to_string(options.udpPort);
        else if (n < 0)
            error = std::strerror(errno);
        else if (const auto fields = parseConfigReply(std::string_view(buffer, std::size_t(n))))
            out = configText(*fields);
        else
            error = "the answer is no configuration reply: " +
                    printable(std::string_view(buffer, std::size_t(n)));
    }
    ::close(fd);
    return out;
}

} // namespace corvane_board

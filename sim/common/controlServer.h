// Line-based control channel of a simulator: a Unix stream socket, one command per line, one
// answer line per command. Several clients may be connected at once.
#pragma once

#include <poll.h>

#include <functional>
#include <string>
#include <vector>

class ControlServer {
public:
    using Handler = std::function<std::string(const std::string& command)>;

    explicit ControlServer(Handler handler) : handler_(std::move(handler)) {}
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Creates the socket at path (an old socket file there is replaced).
    bool listenAt(const std::string& path, std::string& error);

    // Descriptors to watch for reading; pass the poll results back to handleEvents.
    void appendPollFds(std::vector<pollfd>& fds) const;
    void handleEvents(const std::vector<pollfd>& fds);

private:
    struct Client {
        int fd;
        std::string pending;
    };
    void acceptClient();
    bool serveClient(Client& client);  // false when the client is gone

    Handler handler_;
    int listenFd_ = -1;
    std::string path_;
    std::vector<Client> clients_;
};

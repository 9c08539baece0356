// simctl: sends one command to a simulator's control channel and prints the answer line.
// usage: simctl SOCKET COMMAND...
// Exit status 0 unless the answer starts with "error" or the simulator cannot be reached.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: simctl SOCKET COMMAND...\n");
        return 2;
    }
    std::string command;
    for (int i = 2; i < argc; ++i) {
        command += (i > 2 ? " " : "") + std::string(argv[i]);
    }
    command += '\n';
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, argv[1], sizeof(address.sun_path) - 1);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::fprintf(stderr, "simctl: cannot reach %s\n", argv[1]);
        return 1;
    }
    timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::write(fd, command.data(), command.size()) != static_cast<ssize_t>(command.size())) {
        return 1;
    }
    std::string answer;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n') {
        answer += c;
    }
    ::close(fd);
    std::printf("%s\n", answer.c_str());
    return answer.rfind("error", 0) == 0 || answer.empty() ? 1 : 0;
}

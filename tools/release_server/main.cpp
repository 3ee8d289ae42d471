// The local release server: serves a release folder over HTTP on 127.0.0.1, with byte
// ranges, a log line per request and faults on demand (see README.md).
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "fault_plan.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> g_stopping{false};

struct Options {
  std::string root;
  std::string portFile;
  std::string logFile;
  int port = 0;  // 0: any free port
};

class RequestLog {
 public:
  bool Open(const std::string& path) {
    if (path.empty()) return true;
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
  }
  void Write(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    FILE* out = file_ ? file_ : stdout;
    std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
  }

 private:
  std::mutex mutex_;
  FILE* file_ = nullptr;
};

// The socket of the connection a request came on, found by its two ports. Needed to
// reset a connection and to notice a client that has left while we hold back data.
int FindRequestSocket(const httplib::Request& request) {
  DIR* fds = opendir("/proc/self/fd");
  if (!fds) return -1;
  int found = -1;
  while (dirent* entry = readdir(fds)) {
    const int fd = std::atoi(entry->d_name);
    if (fd <= 2) continue;
    sockaddr_in peer{}, local{};
    socklen_t peerSize = sizeof(peer), localSize = sizeof(local);
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) continue;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0) continue;
    if (peer.sin_family == AF_INET && ntohs(peer.sin_port) == request.remote_port &&
        ntohs(local.sin_port) == request.local_port) {
      found = fd;
      break;
    }
  }
  closedir(fds);
  return found;
}

bool ClientLeft(int fd) {
  if (fd < 0) return false;
  pollfd poller{fd, POLLIN | POLLRDHUP, 0};
  if (poll(&poller, 1, 0) <= 0) return false;
  if (poller.revents & (POLLRDHUP | POLLHUP | POLLERR)) return true;
  char byte;
  return recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

// Waits `ms` (0: without end) unless the client leaves or the server stops first.
// True when the whole wait passed.
bool Wait(int fd, uint64_t ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (ms == 0 || Clock::now() < end) {
    if (g_stopping || ClientLeft(fd)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Sends a TCP reset once what was written has left (up to a second): the client sees a
// read error instead of an end of data.
void ResetConnection(int fd) {
  if (fd < 0) return;
  for (int i = 0; i < 100; ++i) {
    int pending = 0;
    if (ioctl(fd, SIOCOUTQ, &pending) != 0 || pending == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  sockaddr unspecified{};
  unspecified.sa_family = AF_UNSPEC;
  connect(fd, &unspecified, sizeof(unspecified));  // disconnecting an open TCP socket resets it
}

// One response body in the making: the file bytes [first, last] with the faults applied.
struct BodyStream {
  std::shared_ptr<std::ifstream> file;
  uint64_t first = 0;
  uint64_t remaining = 0;  // file bytes still to send
  uint64_t sent = 0;
  uint64_t wireLimit = UINT64_MAX;  // the announced length: never send past it
  FaultPlan plan;
  int fd = -1;
  Clock::time_point start = Clock::now();
  bool stalled = false;

  // Writes the next piece. False ends the connection (a fault, or the client left).
  bool Next(httplib::DataSink& sink) {
    if (g_stopping) return false;
    uint64_t piece = std::min<uint64_t>({remaining, 256 * 1024, wireLimit - sent});
    for (const std::optional<uint64_t>& limit : {plan.closeAfter, plan.resetAfter, plan.stallAfter})
      if (limit && *limit >= sent) piece = std::min(piece, *limit - sent);
    if (plan.throttleBytesPerSecond)
      piece = std::min<uint64_t>(piece, std::max<uint64_t>(plan.throttleBytesPerSecond / 20, 1));

    if (plan.stallAfter && sent == *plan.stallAfter && !stalled) {
      stalled = true;
      if (!Wait(fd, plan.stallMs)) return false;
    }
    if (plan.closeAfter && sent == *plan.closeAfter) return false;
    if (plan.resetAfter && sent == *plan.resetAfter) {
      ResetConnection(fd);
      return false;
    }
    if (remaining == 0 || sent >= wireLimit) return false;  // announced more than there is
    if (piece == 0) return true;       // a limit at this very byte, handled next call

    std::string buffer(piece, '\0');
    file->read(buffer.data(), static_cast<std::streamsize>(piece));
    if (static_cast<uint64_t>(file->gcount()) != piece) return false;
    if (!sink.write(buffer.data(), buffer.size())) return false;
    sent += piece;
    remaining -= piece;
    if (plan.throttleBytesPerSecond) {
      const auto due = start + std::chrono::microseconds(sent * 1000000 / plan.throttleBytesPerSecond);
      while (Clock::now() < due) {
        if (g_stopping || ClientLeft(fd)) return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(due - Clock::now(),
                                                               std::chrono::milliseconds(20)));
      }
    }
    return true;
  }
};

class ReleaseServer {
 public:
  ReleaseServer(Options options, RequestLog& log) : options_(std::move(options)), log_(log) {}

  void Install(httplib::Server& server) {
    server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
      const std::string range = request.has_header("Range") ? request.get_header_value("Range") : "-";
      log_.Write(request.method + " " + request.target + " " + request.version + " range=" + range);
      return httplib::Server::HandlerResponse::Unhandled;
    });
    server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
      Serve(request, response);
    });
  }

 private:
  // The first request of a target with "once" takes the faults; later ones do not.
  bool FaultsApply(const FaultRequest& request, const std::string& target) {
    if (!request.plan.once) return true;
    std::lock_guard<std::mutex> lock(onceMutex_);
    return onceFired_.insert(target).second;
  }

  static void Text(httplib::Response& response, int status, const std::string& text) {
    response.status = status;
    response.set_content(text + "\n", "text/plain");
  }

  // The file under the release folder, or empty when the path leaves it or names no file.
  std::string ResolveFile(const std::string& path) const {
    if (path.empty() || path[0] != '/' || path.find("/../") != std::string::npos ||
        (path.size() >= 3 && path.compare(path.size() - 3, 3, "/..") == 0))
      return std::string();
    const std::string full = options_.root + path;
    struct stat info{};
    if (stat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::string();
    return full;
  }

  void Serve(const httplib::Request& request, httplib::Response& response) {
    std::string error;
    const std::optional<FaultRequest> faulted = ParseFaultPath(request.path, &error);
    if (!faulted) return Text(response, 400, error);
    const FaultPlan plan = FaultsApply(*faulted, request.target) ? faulted->plan : FaultPlan();
    const int fd = FindRequestSocket(request);
    // Range offsets are ours to apply: keep the library from slicing the body again.
    const_cast<httplib::Request&>(request).ranges.clear();

    if (plan.hangMs && !Wait(fd, *plan.hangMs)) return Text(response, 503, "gave up waiting");
    if (plan.status) return Text(response, *plan.status, "status on demand");

    const std::string file = ResolveFile(faulted->filePath);
    if (file.empty()) return Text(response, 404, "not found");
    auto stream = std::make_shared<std::ifstream>(file, std::ios::binary);
    stream->seekg(0, std::ios::end);
    const uint64_t size = static_cast<uint64_t>(stream->tellg());

    ByteRange range;
    if (request.has_header("Range") && !plan.ignoreRange)
      range = ResolveRange(request.get_header_value("Range"), size);
    if (plan.rangeStart) {  // a 206 that starts where nobody asked
      range.present = range.satisfiable = *plan.rangeStart < size;
      range.first = *plan.rangeStart;
      range.last = size - 1;
    }
    if (range.present && !range.satisfiable) {
      response.status = 416;
      response.set_header("Content-Range", "bytes */" + std::to_string(size));
      response.set_content("", "application/octet-stream");
      return;
    }

    auto body = std::make_shared<BodyStream>();
    body->file = stream;
    body->first = range.present ? range.first : 0;
    body->remaining = range.present ? range.last - range.first + 1 : size;
    body->plan = plan;
    body->fd = fd;
    stream->seekg(static_cast<std::streamoff>(body->first));

    response.status = range.present ? 206 : 200;
    response.set_header("Accept-Ranges", "bytes");
    if (range.present)
      response.set_header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                               std::to_string(range.last) + "/" + std::to_string(size));
    const char* type = "application/octet-stream";  // never compressed
    if (plan.chunked) {
      response.set_chunked_content_provider(type, [body](size_t, httplib::DataSink& sink) {
        if (body->remaining == 0 && !body->plan.closeAfter && !body->plan.resetAfter) {
          sink.done();
          return true;
        }
        return body->Next(sink);
      });
      return;
    }
    const uint64_t announced = plan.announcedLength.value_or(body->remaining);
    body->wireLimit = announced;
    if (announced == 0 && body->remaining == 0) {
      response.set_content("", type);
      return;
    }
    response.set_content_provider(static_cast<size_t>(std::max<uint64_t>(announced, 1)), type,
                                  [body](size_t, size_t, httplib::DataSink& sink) {
                                    return body->Next(sink);
                                  });
  }

  Options options_;
  RequestLog& log_;
  std::mutex onceMutex_;
  std::set<std::string> onceFired_;
};

bool WritePortFile(const std::string& path, int port) {
  const std::string temporary = path + ".tmp";
  FILE* out = std::fopen(temporary.c_str(), "w");
  if (!out) return false;
  std::fprintf(out, "%d\n", port);
  std::fclose(out);
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: release_server --root DIR [--port-file FILE] [--log FILE] [--port N]\n"
               "Serves DIR on 127.0.0.1 (a free port unless --port), see README.md.\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (i + 1 >= argc) return Usage();
    const std::string value = argv[++i];
    if (argument == "--root") options.root = value;
    else if (argument == "--port-file") options.portFile = value;
    else if (argument == "--log") options.logFile = value;
    else if (argument == "--port") options.port = std::atoi(value.c_str());
    else return Usage();
  }
  if (options.root.empty()) return Usage();
  while (options.root.size() > 1 && options.root.back() == '/') options.root.pop_back();

  // Every thread inherits the blocked signals; one thread waits for them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  RequestLog log;
  if (!log.Open(options.logFile)) {
    std::fprintf(stderr, "release_server: cannot open log %s\n", options.logFile.c_str());
    return 1;
  }
  httplib::Server server;
  server.new_task_queue = [] { return new httplib::ThreadPool(64); };
  server.set_keep_alive_timeout(1);
  ReleaseServer release(options, log);
  release.Install(server);

  const int port = options.port ? (server.bind_to_port("127.0.0.1", options.port) ? options.port : -1)
                                : server.bind_to_any_port("127.0.0.1");
  if (port <= 0) {
    std::fprintf(stderr, "release_server: cannot listen on 127.0.0.1\n");
    return 1;
  }
  if (!options.portFile.empty() && !WritePortFile(options.portFile, port)) {
    std::fprintf(stderr, "release_server: cannot write %s\n", options.portFile.c_str());
    return 1;
  }
  std::printf("release_server: serving %s on http://127.0.0.1:%d/\n", options.root.c_str(), port);
  std::fflush(stdout);

  std::thread stopper([&server, stopSignals] {
    int received = 0;
    sigwait(&stopSignals, &received);
    g_stopping = true;
    server.stop();
  });
  stopper.detach();
  const bool listened = server.listen_after_bind();
  std::printf("release_server: stopped\n");
  return listened || g_stopping ? 0 : 1;
}

#include "support/LocalHttpServer.h"

#include <winsock2.h>

TLocalHttpServer::TLocalHttpServer(std::string body) : body_(std::move(body)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  if (s == INVALID_SOCKET || bind(s, (sockaddr*)&addr, sizeof addr) != 0 || listen(s, 1) != 0 ||
      getsockname(s, (sockaddr*)&addr, &len) != 0) {
    if (s != INVALID_SOCKET) closesocket(s);
    return;
  }
  listener_ = static_cast<std::uintptr_t>(s);
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

TLocalHttpServer::~TLocalHttpServer() {
  if (port_) closesocket(static_cast<SOCKET>(listener_));  // ends a still waiting accept
  if (thread_.joinable()) thread_.join();
  WSACleanup();
}

std::string TLocalHttpServer::Url(const std::string& name) const {
  return port_ ? "http://127.0.0.1:" + std::to_string(port_) + "/" + name : "";
}

void TLocalHttpServer::Serve() {
  SOCKET client = accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
  if (client == INVALID_SOCKET) return;
  std::string request;
  char buf[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    const int got = recv(client, buf, sizeof buf, 0);
    if (got <= 0) break;
    request.append(buf, got);
  }
  if (BeforeAnswer) BeforeAnswer();
  const std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: " + ContentType +
                             "\r\nContent-Length: " + std::to_string(body_.size()) +
                             "\r\nConnection: close\r\n\r\n" + body_;
  send(client, answer.data(), static_cast<int>(answer.size()), 0);
  shutdown(client, SD_SEND);
  closesocket(client);
}

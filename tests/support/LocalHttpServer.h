// A one-request HTTP server on 127.0.0.1 for download and browser tests: it answers the first
// request with 200 and a fixed body, after running a hook while the client waits for the answer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

class TLocalHttpServer {
 public:
  explicit TLocalHttpServer(std::string body);
  ~TLocalHttpServer();
  TLocalHttpServer(const TLocalHttpServer&) = delete;
  TLocalHttpServer& operator=(const TLocalHttpServer&) = delete;

  // "http://127.0.0.1:<port>/" + name; empty when no port could be opened.
  std::string Url(const std::string& name) const;
  // Runs on the server's thread after the request arrived, before the answer is sent.
  std::function<void()> BeforeAnswer;
  std::string ContentType = "application/octet-stream";

 private:
  void Serve();
  std::string body_;
  std::uintptr_t listener_ = 0;  // the listening socket
  int port_ = 0;
  std::thread thread_;
};

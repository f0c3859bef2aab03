// The simulated device's network side: a UDP port that answers discovery
// probes and a TCP port that takes upload messages, one per connection,
// applied to a Device model. One thread, one poll loop; every event is one
// line on standard output. Connections, the bytes they hold and the time they
// take are bounded (Options): connections past the limit wait to be accepted;
// a connection past the other bounds is dropped with a line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovik {

struct Options {
  std::string bind = "0.0.0.0"; ///< local IPv4 address of both ports
  int udp_port = 8001;          ///< 0: any free port (reported at start)
  int tcp_port = 8002;
  std::string save_dir;                ///< when set, every payload is saved there
  bool json = false;                   ///< one JSON object per line instead of text
  std::string answer = "tovik-sim";    ///< the content of a probe's answer
  int answers = 1;                     ///< answers sent per probe (0: stay silent)
  std::uint32_t max_length = 1u << 30; ///< largest length field accepted
  int exit_after = 0;                  ///< stop after this many messages (0: never)
  int idle_timeout_s = 10;             ///< a connection that sends nothing that long is dropped
  int message_timeout_s = 60;          ///< a connection open that long is dropped
  int max_connections = 64;            ///< connections beyond wait in the backlog
  std::size_t max_memory = 256u << 20; ///< message bytes held by all connections together
};

/// Runs until SIGINT or SIGTERM (or `exit_after` messages). Returns the
/// process's exit status: 0, or 1 when the ports could not be opened.
int run(const Options &options);

} // namespace tovik

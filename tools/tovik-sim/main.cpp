// tovik-sim: a stand-in for the device, for developing patches without
// hardware and for the tests. See --help.
#include "../exit_status.hpp"
#include "server.hpp"

#include <CLI/CLI.hpp>

#include <arpa/inet.h>

#include <cstdio>
#include <string>

int main(int argc, char **argv) {
  tovik::Options o;
  CLI::App app{"tovik-sim: a simulated device. Answers discovery probes on UDP, takes project\n"
               "uploads, imports and target settings on TCP, checks their framing, keeps a model\n"
               "of the device and prints a line per event."};
  app.add_option("-b,--bind", o.bind, "local IPv4 address to listen on (discovery needs 0.0.0.0)")
      ->capture_default_str();
  app.add_option("-u,--udp-port", o.udp_port, "UDP port for discovery probes (0: any free port)")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  app.add_option("-t,--tcp-port", o.tcp_port, "TCP port for uploads (0: any free port)")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  app.add_option("-s,--save", o.save_dir, "folder in which to save every payload received")
      ->check(CLI::ExistingDirectory);
  app.add_flag("-j,--json", o.json, "print one JSON object per event");
  app.add_option("--answer", o.answer, "content of the answer to a probe")->capture_default_str();
  app.add_option("--answers", o.answers, "answers sent per probe (0: none)")
      ->capture_default_str()
      ->check(CLI::Range(0, 16));
  app.add_option("--max-length", o.max_length, "largest message length accepted, in bytes")
      ->capture_default_str()
      ->check(CLI::Range(20u, 0xFFFFFFFCu));
  app.add_option("--exit-after", o.exit_after, "stop after this many messages (0: never)")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  app.add_option("--idle-timeout", o.idle_timeout_s,
                 "seconds after which a silent connection is dropped")
      ->capture_default_str()
      ->check(CLI::Range(1, 3600));
  app.add_option("--message-timeout", o.message_timeout_s,
                 "seconds after which a connection is dropped, whole message or not")
      ->capture_default_str()
      ->check(CLI::Range(1, 3600));
  app.add_option("--max-connections", o.max_connections,
                 "connections open at once; more wait to be accepted until one ends")
      ->capture_default_str()
      ->check(CLI::Range(1, 4096));
  app.add_option("--max-memory", o.max_memory,
                 "message bytes held by all connections together; a connection that would "
                 "need more is dropped")
      ->capture_default_str()
      ->check(CLI::Range(std::size_t{20}, std::size_t{1} << 32));
  app.set_version_flag("--version", std::string("tovik-sim ") + TOVIK_SIM_VERSION);
  app.footer("\nExit status: 0 stopped as asked (a signal, --exit-after); 1 the run failed (a "
             "port that cannot be had); 2 bad usage or bad input.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success &done) {
    return app.exit(done);
  } catch (const CLI::ParseError &failed) {
    std::fprintf(stderr, "tovik-sim: %s (see --help)\n", failed.what());
    return exit_bad_input;
  }
  if (o.answer.empty()) {
    std::fprintf(stderr,
                 "tovik-sim: --answer must not be empty (an answer has at least one byte)\n");
    return exit_bad_input;
  }
  in_addr address{};
  if (inet_pton(AF_INET, o.bind.c_str(), &address) != 1) {
    std::fprintf(stderr, "tovik-sim: bind address \"%s\" is not a dotted IPv4 address\n",
                 o.bind.c_str());
    return exit_bad_input;
  }
  return tovik::run(o) == 0 ? exit_ok : exit_run_failed;
}

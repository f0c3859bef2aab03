// The support library's text paths on the loader's hot side: reading the
// device address, formatting protocol texts, copying texts.
#include <benchmark/benchmark.h>
#include <cstdint>

#include "types/string.h"
#include "types/text.h"

namespace {

void getexactip(benchmark::State &state) {
  const char *text = "192.168.1.40";
  std::uint32_t address = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(String::getexactip(text, &address));
    benchmark::DoNotOptimize(address);
  }
}
BENCHMARK(getexactip);

void printfTarget(benchmark::State &state) {
  alignas(4) char storage[512];
  string s(storage, sizeof storage);
  int target = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        s.printf("<OSC target=\"%d\" ip=\"%s\" port=\"%d\"/>", target & 7, "192.168.1.10", 9000));
    ++target;
  }
}
BENCHMARK(printfTarget);

void putip(benchmark::State &state) {
  alignas(4) char storage[16];
  string s(storage, sizeof storage);
  std::uint32_t address = 0xC0A80128;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.putip(address));
    ++address;
  }
}
BENCHMARK(putip);

void strcpyText(benchmark::State &state) {
  alignas(4) char storage[512];
  string s(storage, sizeof storage);
  const char *text = "<WINDOW name=\"main\" layer=\"1\">"; // 30 characters
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.strcpy(text));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(strcpyText);

void strcpyString(benchmark::State &state) {
  alignas(4) char from[512], to[512];
  string source(from, sizeof from), s(to, sizeof to);
  source.strcpy("<WINDOW name=\"main\" layer=\"1\">");
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.strcpy(&source));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(strcpyString);

} // namespace

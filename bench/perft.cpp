// Move generation speed: perft from the start position, the leaf
// positions `depth` moves deep (the last ply counted, not played), timed
// over several runs. Prints "perft|nodes/s|min|median|max|note" as the
// other benchmark programs do.
//
//   bq_bench_perft [--depth N] [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "games/movegen.h"

int main(int argc, char** argv) {
  int depth = 5, runs = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--depth") depth = std::atoi(argv[i + 1]);
    if (option == "--runs") runs = std::atoi(argv[i + 1]);
  }
  bq::TPositionCore start;
  bq::SetStartPosition(start);
  std::vector<double> rates;
  std::uint64_t nodes = 0;
  for (int run = 0; run < std::max(runs, 1); ++run) {
    const auto t0 = std::chrono::steady_clock::now();
    nodes = bq::Perft(start, depth);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    rates.push_back(static_cast<double>(nodes) / s);
  }
  std::sort(rates.begin(), rates.end());
  const std::size_t n = rates.size();
  const double median = n % 2 ? rates[n / 2] : (rates[n / 2 - 1] + rates[n / 2]) / 2;
  std::printf("perft|nodes/s|%.6g|%.6g|%.6g|depth %d from the start position, %llu nodes\n",
              rates.front(), median, rates.back(), depth, static_cast<unsigned long long>(nodes));
  return 0;
}

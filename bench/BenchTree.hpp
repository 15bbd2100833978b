// What several benchmarks share: a large tree of small files like a data folder, and running a
// peer program.
#pragma once

#include <string>
#include <vector>

namespace tavrel::bench {

/// The folder trees are made in: TAVREL_BENCH_DIR, else /tmp.
std::string benchFolder();

/// Makes a tree at `root` (which must not exist): 1,700 folders three deep holding about 100,000
/// files of 14 bytes and about 280 links, to a folder of the tree and to one outside it. Returns
/// the number of files made; throws when something cannot be made.
long makeTree(const std::string& root);

/// Runs `argv` (argv[0] a path) with standard output on the null device and waits for it:
/// whether it exited with status 0.
bool runToEnd(std::vector<std::string> argv);

} // namespace tavrel::bench

// Running one piece of work on several threads: part 0 on the calling thread, the others on
// threads of their own, all joined before returning. Private to the search library.
#pragma once

#include <algorithm>
#include <thread>
#include <vector>

namespace shelfmark::search {

// The thread count asked for, or one per core when 0.
inline unsigned ThreadsOrCores(unsigned threads) {
    return threads != 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
}

// Calls work(part) for every part in [0, parts) at once and waits for all of them.
template <typename Work>
void RunParts(unsigned parts, Work&& work) {
    std::vector<std::jthread> workers;
    workers.reserve(parts > 0 ? parts - 1 : 0);
    for (unsigned part = 1; part < parts; ++part)
        workers.emplace_back([&work, part] { work(part); });
    if (parts > 0)
        work(0u);
}

}  // namespace shelfmark::search

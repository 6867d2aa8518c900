// Strings and containers against their standard-library counterparts on the same work.
// Each pair shares a name up to the slash-separated size: String/... vs StdString/...

#include "orvane/container/Array.h"
#include "orvane/container/Map.h"
#include "orvane/types/String.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using orvane::container::Array;
using orvane::container::Map;
using orvane::types::String;

// 10^3 to 10^6.
void sizes(benchmark::internal::Benchmark* bench) {
    for (std::int64_t n = 1000; n <= 1000000; n *= 10)
        bench->Arg(n);
}

// Distinct keys in a fixed shuffled order, the same for both sides of a comparison.
std::vector<std::uint32_t> shuffledKeys(std::int64_t n) {
    std::vector<std::uint32_t> keys(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i] = static_cast<std::uint32_t>(i * 2654435761u);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(12345));
    return keys;
}

// --- String: n appends of an eight-character piece to an empty string.

void StringAppend(benchmark::State& state) {
    for (auto _ : state) {
        String text;
        for (std::int64_t i = 0; i < state.range(0); ++i)
            text.append("abcdefgh");
        benchmark::DoNotOptimize(text.cString());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StringAppend)->Apply(sizes);

void StdStringAppend(benchmark::State& state) {
    for (auto _ : state) {
        std::string text;
        for (std::int64_t i = 0; i < state.range(0); ++i)
            text.append("abcdefgh");
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StdStringAppend)->Apply(sizes);

// --- String: ordering two strings of n characters that differ only in the last one.

std::string longText(std::int64_t n, char last) {
    std::string text(static_cast<std::size_t>(n), 'x');
    text.back() = last;
    return text;
}

void StringCompare(benchmark::State& state) {
    const String a(longText(state.range(0), 'a').c_str());
    const String b(longText(state.range(0), 'b').c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(a.compare(b));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StringCompare)->Apply(sizes);

void StdStringCompare(benchmark::State& state) {
    const std::string a = longText(state.range(0), 'a');
    const std::string b = longText(state.range(0), 'b');
    for (auto _ : state)
        benchmark::DoNotOptimize(a.compare(b));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StdStringCompare)->Apply(sizes);

// --- Map: n inserts of shuffled distinct keys into an empty map.

void MapInsert(benchmark::State& state) {
    const auto keys = shuffledKeys(state.range(0));
    for (auto _ : state) {
        Map<std::uint32_t, std::uint32_t> map;
        for (std::uint32_t key : keys)
            map.insert(key, key);
        benchmark::DoNotOptimize(map.count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(MapInsert)->Apply(sizes);

void StdMapInsert(benchmark::State& state) {
    const auto keys = shuffledKeys(state.range(0));
    for (auto _ : state) {
        std::map<std::uint32_t, std::uint32_t> map;
        for (std::uint32_t key : keys)
            map.insert_or_assign(key, key);
        benchmark::DoNotOptimize(map.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StdMapInsert)->Apply(sizes);

// --- Map: n successful lookups in a map of n keys, in another shuffled order.

void MapFind(benchmark::State& state) {
    auto keys = shuffledKeys(state.range(0));
    Map<std::uint32_t, std::uint32_t> map;
    for (std::uint32_t key : keys)
        map.insert(key, key);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(54321));
    for (auto _ : state)
        for (std::uint32_t key : keys)
            benchmark::DoNotOptimize(map.find(key));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(MapFind)->Apply(sizes);

void StdMapFind(benchmark::State& state) {
    auto keys = shuffledKeys(state.range(0));
    std::map<std::uint32_t, std::uint32_t> map;
    for (std::uint32_t key : keys)
        map.insert_or_assign(key, key);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(54321));
    for (auto _ : state)
        for (std::uint32_t key : keys)
            benchmark::DoNotOptimize(map.find(key));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StdMapFind)->Apply(sizes);

// --- Map: one in-order walk over n keys.

void MapIterate(benchmark::State& state) {
    Map<std::uint32_t, std::uint32_t> map;
    for (std::uint32_t key : shuffledKeys(state.range(0)))
        map.insert(key, key);
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (const auto& node : map)
            sum += node.value;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(MapIterate)->Apply(sizes);

void StdMapIterate(benchmark::State& state) {
    std::map<std::uint32_t, std::uint32_t> map;
    for (std::uint32_t key : shuffledKeys(state.range(0)))
        map.insert_or_assign(key, key);
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (const auto& entry : map)
            sum += entry.second;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StdMapIterate)->Apply(sizes);

// --- Array: n adds to an empty array.

void ArrayAdd(benchmark::State& state) {
    for (auto _ : state) {
        Array<std::uint32_t> values;
        for (std::int64_t i = 0; i < state.range(0); ++i)
            values.add(static_cast<std::uint32_t>(i));
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ArrayAdd)->Apply(sizes);

void StdVectorAdd(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::uint32_t> values;
        for (std::int64_t i = 0; i < state.range(0); ++i)
            values.push_back(static_cast<std::uint32_t>(i));
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StdVectorAdd)->Apply(sizes);

} // namespace

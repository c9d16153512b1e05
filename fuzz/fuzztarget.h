#pragma once
// One harness per reader of outside input: a function over raw bytes that
// feeds them to the reader and checks what must hold of any answer. The
// fuzzer build gives the harness of each fuzzer executable libFuzzer's entry
// point; the seed replay test links them all and calls each by name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#ifdef KOLT_FUZZ_ENTRY
#define KOLT_FUZZ_TARGET(name)                                                                                  \
    int name(const std::uint8_t* data, std::size_t size);                                                       \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)                           \
    {                                                                                                           \
        return name(data, size);                                                                                \
    }                                                                                                           \
    int name(const std::uint8_t* data, std::size_t size)
#else
#define KOLT_FUZZ_TARGET(name) int name(const std::uint8_t* data, std::size_t size)
#endif

// A broken promise of a reader is a finding like a crash: abort, so that the
// fuzzer keeps the input and the replay test fails on it.
#define KOLT_FUZZ_CHECK(condition)                                                                              \
    do {                                                                                                        \
        if (!(condition)) {                                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                  \
            std::abort();                                                                                       \
        }                                                                                                       \
    } while (false)

using FuzzHarness = int (*)(const std::uint8_t* data, std::size_t size);

struct FuzzReader
{
    const char* name; // the fuzzer is fuzz_<name>, its seeds fuzz/corpus/<name>/
    FuzzHarness run;
};

// Every harness, in the order fuzz/run takes them.
const std::vector<FuzzReader>& FuzzReaders();

int FuzzImportFile(const std::uint8_t* data, std::size_t size);
int FuzzImportMapping(const std::uint8_t* data, std::size_t size);
int FuzzTableDefinition(const std::uint8_t* data, std::size_t size);
int FuzzDictionary(const std::uint8_t* data, std::size_t size);
int FuzzSettings(const std::uint8_t* data, std::size_t size);
int FuzzPartAnswer(const std::uint8_t* data, std::size_t size);
int FuzzItemList(const std::uint8_t* data, std::size_t size);
int FuzzNumbers(const std::uint8_t* data, std::size_t size);

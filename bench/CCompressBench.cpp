// CCompressBench: packing and unpacking an object-synchronisation-sized message with fast LZMA,
// which the server does for every synchronisation it sends; fast packing against zlib, cold
// (compress()) and with its memory kept (compress2() at level 1 on kept blocks).
#include "BenchSideBySide.h"

#include "base/CCompress.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A message like the server's object table: records of ids, positions and flags.
std::vector<uint8_t> SampleMessage(size_t size)
{
    std::vector<uint8_t> bytes(size);
    uint32_t x = 12345;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = (i % 16 < 10) ? uint8_t(i / 16) : uint8_t(x >> 24);
    }
    return bytes;
}

void BM_PackFastLzma(benchmark::State& state)
{
    std::vector<uint8_t> message = SampleMessage(size_t(state.range(0)));
    CCompress compress;
    compress.SetMethod(3);
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> out;
        benchmark::DoNotOptimize(compress.Compress(message.data(), int32_t(message.size()), out));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_PackFastLzma)->Arg(1024)->Arg(16384);

void BM_UnpackFastLzma(benchmark::State& state)
{
    std::vector<uint8_t> message = SampleMessage(size_t(state.range(0)));
    CCompress compress;
    compress.SetMethod(3);
    std::unique_ptr<uint8_t[]> block;
    int32_t length = compress.Compress(message.data(), int32_t(message.size()), block);
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> out;
        benchmark::DoNotOptimize(compress.Unpack(block.get(), length, out));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_UnpackFastLzma)->Arg(1024)->Arg(16384);

// The server's fast packing of one message against a reference packer(message, out buffer).
template <class Reference>
void PackFastLzmaAgainst(benchmark::State& state, Reference reference)
{
    std::vector<uint8_t> message = SampleMessage(size_t(state.range(0)));
    CCompress compress;
    compress.SetMethod(3);
    std::vector<uint8_t> referenceOut(compressBound(uLong(message.size())));
    Bench::SideBySide(
        state, 1,
        [&] {
            std::unique_ptr<uint8_t[]> out;
            benchmark::DoNotOptimize(compress.Compress(message.data(), int32_t(message.size()), out));
        },
        [&] { reference(message, referenceOut); });
}

// What a host would use instead: zlib's one-call compress(), at its default level. It takes about
// 270 KB of state from malloc on every call, so its time depends on whether the heap hands those
// pages back to the system between calls.
void BM_PackFastLzmaVsZlib(benchmark::State& state)
{
    PackFastLzmaAgainst(state, [](const std::vector<uint8_t>& message, std::vector<uint8_t>& out) {
        uLongf length = uLongf(out.size());
        benchmark::DoNotOptimize(::compress(out.data(), &length, message.data(), uLong(message.size())));
    });
}
BENCHMARK(BM_PackFastLzmaVsZlib)->Arg(1024)->UseManualTime()->Unit(benchmark::kMicrosecond);

// zlib's floor: compress2()'s own steps at its fastest level (init, one finishing deflate, end) with
// its state taken from blocks kept between calls, so no page is handed back and faulted in again.
struct KeptBlocks {
    struct Block {
        size_t size;
        void* memory;
        bool used;
    };
    std::vector<Block> blocks;

    static voidpf Alloc(voidpf opaque, uInt items, uInt size)
    {
        auto* self = static_cast<KeptBlocks*>(opaque);
        size_t n = size_t(items) * size;
        for (Block& b : self->blocks)
            if (!b.used && b.size == n) {
                b.used = true;
                return b.memory;
            }
        self->blocks.push_back(Block{n, std::malloc(n), true});
        return self->blocks.back().memory;
    }
    static void Free(voidpf opaque, voidpf memory)
    {
        for (Block& b : static_cast<KeptBlocks*>(opaque)->blocks)
            if (b.memory == memory)
                b.used = false;
    }
    ~KeptBlocks()
    {
        for (Block& b : blocks)
            std::free(b.memory);
    }
};

void BM_PackFastLzmaVsWarmZlib(benchmark::State& state)
{
    KeptBlocks kept;
    PackFastLzmaAgainst(state, [&](const std::vector<uint8_t>& message, std::vector<uint8_t>& out) {
        z_stream z{};
        z.zalloc = KeptBlocks::Alloc;
        z.zfree = KeptBlocks::Free;
        z.opaque = &kept;
        deflateInit(&z, Z_BEST_SPEED);
        z.next_in = const_cast<Bytef*>(message.data());  // zlib reads it only
        z.avail_in = uInt(message.size());
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        benchmark::DoNotOptimize(deflate(&z, Z_FINISH));
        deflateEnd(&z);
    });
}
BENCHMARK(BM_PackFastLzmaVsWarmZlib)->Arg(1024)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

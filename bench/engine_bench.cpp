// The largest variation: m 8, n 255, r 50, erasure-supporting streaming
// decoder. The headline figure builds the tables the variation records and
// writes the memory file and the vector file into memory; the others show
// where that time goes.
#include <benchmark/benchmark.h>

#include <sstream>

#include "rs_engine/rs_engine.h"
#include "rs_engine/rs_files.h"
#include "tests/support/fakes.h"

namespace codexel {
namespace {

RsParameters LargestDecoder() {
  RsParameters p{.m = 8, .n = 255, .r = 50, .irrpol = 285, .genstart = 0};
  p.Enc_Dec = 0;
  p.Disc_Stream = 0;
  p.Fast_Small = 1;
  p.Eras_Stnd = 1;
  return p;
}

RsEngine BuiltEngine(const RsParameters& p) {
  RsEngine engine(p);
  engine.build_alog();
  engine.build_gg();
  return engine;
}

void BM_LargestDecoderVariation(benchmark::State& state) {
  const RsParameters p = LargestDecoder();
  testing::MemoryFileSystem files;
  for (auto _ : state) {
    RsEngine engine = BuiltEngine(p);
    benchmark::DoNotOptimize(engine.inverse_of_power(engine.genstart()));
    benchmark::DoNotOptimize(engine.inverse(2));
    const auto batch = files.StartBatch();
    if (create_dec_files(engine, p, "/bench/", "codec", ".tdf", *batch) || batch->Commit()) {
      state.SkipWithError("an extra file failed");
    }
    benchmark::DoNotOptimize(engine.negroot);
  }
  state.counters["bytes"] = static_cast<double>(files.files["/bench/codec.vec"].size() +
                                                files.files["/bench/inv_8_285.hex"].size());
}
BENCHMARK(BM_LargestDecoderVariation)->Unit(benchmark::kMicrosecond);

void BM_LargestEncoderVariation(benchmark::State& state) {
  RsParameters p = LargestDecoder();
  p.Enc_Dec = 1;
  testing::MemoryFileSystem files;
  for (auto _ : state) {
    RsEngine engine = BuiltEngine(p);
    const auto batch = files.StartBatch();
    if (create_enc_files(engine, p, "/bench/", "codec", ".tdf", *batch) || batch->Commit()) {
      state.SkipWithError("the vector file failed");
    }
    benchmark::DoNotOptimize(engine.cw);
  }
}
BENCHMARK(BM_LargestEncoderVariation)->Unit(benchmark::kMicrosecond);

void BM_InverseTableFile(benchmark::State& state) {
  const RsEngine engine = BuiltEngine(LargestDecoder());
  for (auto _ : state) {
    std::ostringstream out;
    engine.write_inverse_hex(out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_InverseTableFile)->Unit(benchmark::kMicrosecond);

void BM_StreamingDecoderVectorFile(benchmark::State& state) {
  RsEngine engine = BuiltEngine(LargestDecoder());
  LoadTestMessage(engine, 1);
  engine.encode();
  for (auto _ : state) {
    std::ostringstream out;
    WriteStreamingDecoderVectorFile(out, engine, {true, true, true});
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_StreamingDecoderVectorFile)->Unit(benchmark::kMicrosecond);

void BM_Encode(benchmark::State& state) {
  RsEngine engine = BuiltEngine(LargestDecoder());
  LoadTestMessage(engine, 1);
  for (auto _ : state) {
    engine.encode();
    benchmark::DoNotOptimize(engine.cw);
  }
}
BENCHMARK(BM_Encode)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace codexel

#include "rs_engine/rs_files.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <functional>
#include <ostream>

#include "platform/design_path.h"

namespace codexel {

namespace {

constexpr int kTimeStep = 100;  // one clock period: data symbols change this often

std::string Bus(const std::string& name, int width, bool bus_ranges) {
  return bus_ranges ? name + "[" + std::to_string(width) + "..1]" : name;
}

void WriteHeader(std::ostream& out, const RsEngine& engine) {
  out << "% n = " << engine.n() << " (length of message) %\n"
      << "% m = " << engine.m() << " (field size (2^m)) %\n"
      << "% r = " << engine.r() << " (number of check symbols) %\n"
      << "% irrpol = " << engine.irrpol() << " (field polynomial) %\n"
      << "% genstart = " << engine.genstart() << " (first root of generator polynomial) %\n";
}

void WriteStop(std::ostream& out, long long stop) { out << "STOP " << stop << ";\n"; }

void WriteInput(std::ostream& out, const char* name, const char* pattern) {
  out << "INPUTS " << name << ";\nPATTERN\n" << pattern;
}

void WriteClock(std::ostream& out) { out << "INTERVAL 50;\n" << "INPUTS sysclk;\nPATTERN\n0 1;\n"; }

void WriteRsinDeclaration(std::ostream& out, const RsEngine& engine, bool bus_ranges) {
  out << "RADIX DEC;\n" << "INPUTS " << Bus("rsin", engine.m(), bus_ranges) << ";\n";
}

// Header, times, clock and the reset pulse of both decoder files.
void WriteDecoderPrologue(std::ostream& out, const RsEngine& engine, long long stop) {
  WriteHeader(out, engine);
  out << "START 0;\n";
  WriteStop(out, stop);
  WriteClock(out);
  WriteInput(out, "reset", "0> 0\n100> 1\n200> 0;\n");
}

void WriteDecoderControls(std::ostream& out, const DecoderVectorOptions& options) {
  WriteInput(out, "dsout", "0> 1;\n");
  WriteInput(out, "bypass", "0> 0;\n");
  if (options.erasures) WriteInput(out, "eras_ind", "0> 0;\n");
}

// Appends "t> v\n".
void AppendTimedValue(std::string& text, long long time, int value) {
  text += std::to_string(time);
  text += "> ";
  text += std::to_string(value);
  text += '\n';
}

// The codeword buffer, highest power first, one symbol per clock period from
// `time` on; returns the time after the last symbol.
long long WriteCodeword(std::ostream& out, const RsEngine& engine, long long time) {
  std::string text;
  for (int j = engine.n() - 1; j >= 0; --j, time += kTimeStep) {
    AppendTimedValue(text, time, engine.cw[j]);
  }
  out << text;
  return time;
}

void WriteDecoderOutputs(std::ostream& out, const RsEngine& engine,
                         const DecoderVectorOptions& options, bool with_rdyin) {
  out << "OUTPUTS outvalid " << Bus("rsout", engine.m(), options.bus_ranges) << " "
      << Bus("numerr", NumerrWidth(engine.r()), options.bus_ranges) << " decfail"
      << (with_rdyin ? " rdyin" : "") << ";\n";
}

void WriteStreamingDsin(std::ostream& out, const RsEngine& engine, long long period) {
  const long long n = engine.n();
  out << "INPUTS dsin;\nPATTERN\n"
      << "0> 1\n100> 0\n300> 1\n" << kTimeStep * (n + 4) << "> 0\n";
  for (long long j = 1; j <= 10; ++j) {
    out << j * period << "> 1\n" << j * period + 101 * n << "> 0\n";
  }
  out << 10 * period + 200 * n + 100 << "> 0;\n";
}

std::optional<ExtraFileFailure> WriteExtraFile(FileBatch& files, const std::string& path,
                                               const std::function<void(std::ostream&)>& write) {
  WriteOutcome outcome = files.Stage(path, write);
  if (outcome.ok()) return std::nullopt;
  return ExtraFileFailure{path, std::move(outcome)};
}

}  // namespace

std::string VectorFilePath(const std::string& design_directory,
                           const std::string& design_base_name) {
  return design_directory + design_base_name + ".vec";
}

std::string MemoryFileName(int m, int irrpol) {
  return "inv_" + std::to_string(m) + "_" + std::to_string(irrpol) + ".hex";
}

std::string MemoryFilePath(const std::string& design_directory, int m, int irrpol) {
  return design_directory + MemoryFileName(m, irrpol);
}

bool UsesBusRanges(const std::string& design_extension) { return design_extension == ".tdf"; }

long long DiscreteLatency(int n, int r, bool full_speed) {
  return 3LL * n + (full_speed ? 8LL : 11LL) * r + 4;
}

long long StreamingLatency(int n, int r, bool full_speed) {
  const long long square = static_cast<long long>(r) * r;
  // ceil(17 r^2 / 10) in integers (r^2 is never negative).
  const long long core = full_speed ? (17 * square + 9) / 10 : 3 * square;
  return std::max(core, static_cast<long long>(n) + r);
}

long long StreamingPeriod(int n, int r, bool full_speed) {
  return kTimeStep * (StreamingLatency(n, r, full_speed) + 4 + 3LL * n / 2);
}

void LoadTestMessage(RsEngine& engine, int number) {
  const int k = engine.k();
  for (int i = 0; i < k; ++i) {
    switch (number) {
      case 1: engine.msg[i] = i; break;
      case 2: engine.msg[i] = k - i; break;
      case 3: engine.msg[i] = (i == 0 || i == k - 1) ? engine.r() : engine.n(); break;
      case 4: engine.msg[i] = engine.m(); break;
      case 5: engine.msg[i] = engine.m() * i % engine.n(); break;
      default: break;
    }
  }
}

void WriteEncoderVectorFile(std::ostream& out, const RsEngine& engine, bool bus_ranges) {
  const int n = engine.n();
  const int r = engine.r();
  WriteHeader(out, engine);
  WriteStop(out, kTimeStep * n + 1000LL);
  WriteClock(out);
  WriteInput(out, "reset", "0> 1\n100> 0;\n");
  WriteInput(out, "enable", "0> 0\n200> 1;\n");
  WriteInput(out, "start", "0> 0\n100> 1\n200> 0;\n");
  WriteRsinDeclaration(out, engine, bus_ranges);
  out << "OUTPUTS " << Bus("rsout", engine.m(), bus_ranges) << ";\n"
      << "PATTERN\n" << "0> 0 = 0 \n";
  // Each codeword symbol is expected one clock period after its input.
  long long time = 2 * kTimeStep;
  out << time << "> " << engine.msg[engine.k() - 1] << " = 0\n";
  time += kTimeStep;
  for (int j = n - 1; j >= r + 1; --j, time += kTimeStep) {
    out << time << "> " << engine.msg[j - r - 1] << " = " << engine.cw[j] << "\n";
  }
  for (int j = r; j >= 0; --j, time += kTimeStep) {
    out << time << "> 0 = " << engine.cw[j] << "\n";
  }
  out << time << "> 0 = 0\n" << ";\n";
}

void WriteDiscreteDecoderVectorFile(std::ostream& out, const RsEngine& engine,
                                    const DecoderVectorOptions& options) {
  const int n = engine.n();
  WriteDecoderPrologue(out, engine, 120 * (DiscreteLatency(n, engine.r(), options.full_speed) +
                                           2LL * n));
  WriteInput(out, "dsin", "0> 1;\n");
  WriteDecoderControls(out, options);
  WriteRsinDeclaration(out, engine, options.bus_ranges);
  out << "PATTERN\n" << "0> 0 \n";
  const long long end = WriteCodeword(out, engine, 2 * kTimeStep);
  out << end << "> 0 ;\n";
  WriteDecoderOutputs(out, engine, options, false);
}

void WriteStreamingDecoderVectorFile(std::ostream& out, const RsEngine& engine,
                                     const DecoderVectorOptions& options) {
  const int n = engine.n();
  RsEngine coder = engine;  // the later messages are encoded on a copy
  const long long period = StreamingPeriod(n, engine.r(), options.full_speed);
  WriteDecoderPrologue(out, engine, 12 * period);
  WriteStreamingDsin(out, engine, period);
  WriteDecoderControls(out, options);
  WriteRsinDeclaration(out, engine, options.bus_ranges);
  out << "PATTERN\n" << "0> 0 \n";
  WriteCodeword(out, engine, 3 * kTimeStep);
  for (int q = 2; q <= kTestMessageCount; ++q) {
    LoadTestMessage(coder, q);
    coder.encode();
    WriteCodeword(out, coder, (q - 1) * period);
  }
  out << 4 * period + kTimeStep * n << "> 0 ;\n";
  WriteDecoderOutputs(out, engine, options, true);
}

std::optional<ExtraFileFailure> create_enc_files(RsEngine& engine, const RsParameters& parameters,
                                                 const std::string& design_directory,
                                                 const std::string& design_base_name,
                                                 const std::string& design_extension,
                                                 FileBatch& files) {
  LoadTestMessage(engine, 1);
  engine.encode();
  if (parameters.generate_vectorfile != 1) return std::nullopt;
  const bool bus_ranges = UsesBusRanges(design_extension);
  return WriteExtraFile(
      files, VectorFilePath(design_directory, design_base_name),
      [&](std::ostream& out) { WriteEncoderVectorFile(out, engine, bus_ranges); });
}

std::optional<ExtraFileFailure> create_dec_files(RsEngine& engine, const RsParameters& parameters,
                                                 const std::string& design_directory,
                                                 const std::string& design_base_name,
                                                 const std::string& design_extension,
                                                 FileBatch& files) {
  const DecoderVectorOptions options{parameters.Fast_Small == 1, parameters.Eras_Stnd == 1,
                                     UsesBusRanges(design_extension)};
  engine.build_alog();
  engine.build_root();
  engine.build_negroot(options.erasures);
  if (auto failure = WriteExtraFile(
          files, MemoryFilePath(design_directory, engine.m(), engine.irrpol()),
          [&](std::ostream& out) { engine.write_inverse_hex(out); })) {
    return failure;
  }
  LoadTestMessage(engine, 1);
  engine.build_gg();
  engine.encode();
  if (parameters.generate_vectorfile != 1) return std::nullopt;
  const bool discrete = parameters.Disc_Stream == 1;
  return WriteExtraFile(files, VectorFilePath(design_directory, design_base_name),
                        [&](std::ostream& out) {
                          if (discrete) {
                            WriteDiscreteDecoderVectorFile(out, engine, options);
                          } else {
                            WriteStreamingDecoderVectorFile(out, engine, options);
                          }
                        });
}

std::string UnableToOpenText(const std::string& path) {
  return "Unable to open the file " + path +
         " for writting\n The program can not continue\n\nPress OK to Exit";
}

void ExitOnExtraFileFailure(const ExtraFileFailure& failure, MessageService& messages,
                            ProcessServices& process) {
  messages.Show(kExtraFileErrorTitle, UnableToOpenText(NativeSeparators(failure.path)));
  process.Exit(1);
  std::abort();  // Exit does not return; should one ever do so, stop here all the same
}

}  // namespace codexel

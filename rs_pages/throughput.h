#pragma once
// The decoder's throughput as the extra files page calculates it.

#include <string>

#include "rs_pages/rs_parameters.h"

namespace codexel {

// Clock cycles the decoder spends on one codeword, by decoder variant.
int CyclesPerCodeword(const RsParameters& params);

// Four significant digits in general notation: fixed for leading-digit powers
// -1 to 3 (trailing fraction zeros removed, the point kept), else exponent
// form with at least three exponent digits; zero is "0.".
std::string FormatThroughputNumber(double value);

// n symbols every `cycles` clocks at `frequency` MHz, in the unit Msym_Mbit
// chooses: "<S> Msym/s" or "<m*S> Mbit/s".
std::string RateText(const RsParameters& params, double frequency, int cycles);

// The result field's text for a typed frequency in MHz: empty for an empty
// field, "Invalid Frequency" for a text that is no integer, else
// "Throughput is <S> Msym/s" or "Throughput is <m*S> Mbit/s" by Msym_Mbit.
std::string ThroughputText(const RsParameters& params, const std::string& frequency_text);

}  // namespace codexel

#pragma once
// Parameter sets the tests use again and again.

#include "rs_pages/rs_parameters.h"

namespace codexel::testing {

// The decoder choices of the device type page.
struct DecoderChoice {
  int eras = 0;      // Eras_Stnd
  int discrete = 1;  // Disc_Stream
  int full = 1;      // Fast_Small
};

// A new variation (an encoder) with these code parameters.
inline RsParameters Code(int m, int n, int r, int irrpol, int genstart = 0) {
  RsParameters p;
  p.m = m;
  p.n = n;
  p.r = r;
  p.irrpol = irrpol;
  p.genstart = genstart;
  return p;
}

// The "DVB Standard" code: m 8, n 204, r 16, irrpol 285, genstart 0.
inline RsParameters DvbCode() { return Code(8, 204, 16, 285, 0); }

inline RsParameters AsDecoder(RsParameters p, DecoderChoice choice = {}) {
  p.Enc_Dec = 0;
  p.Eras_Stnd = choice.eras;
  p.Disc_Stream = choice.discrete;
  p.Fast_Small = choice.full;
  return p;
}

inline RsParameters DvbDecoder(DecoderChoice choice = {}) { return AsDecoder(DvbCode(), choice); }

}  // namespace codexel::testing

// Builds the tables of InstrumentTables.h (run by the build, see
// TableBuild.h).

#include <cmath>
#include <vector>

#include "tables/InstrumentTables.h"
#include "tables/TableBuild.h"
#include "tables/WaveSynthesis.h"

namespace Tables {

namespace {

using WaveSynthesis::PARTIAL;

// A spectrum as harmonic amplitudes; the phases are chosen for a peak of 1.
struct SPECTRUM {
  std::vector<PARTIAL> partials;
  SPECTRUM& Add(unsigned int harmonic, double amplitude) {
    partials.push_back({harmonic, amplitude, 0.0});
    return *this;
  }
  // Harmonics first .. last falling geometrically from a to b.
  SPECTRUM& Falling(unsigned int first, unsigned int last, double a, double b) {
    double ratio = std::pow(b / a, 1.0 / (last - first));
    for (unsigned int h = first; h <= last; ++h) Add(h, a * std::pow(ratio, h - first));
    return *this;
  }
};

void Build(ITableSink& sink, const char* name, SPECTRUM spectrum, uint64_t seed) {
  std::vector<float> table(INSTRUMENT_TABLE_SIZE + 1);
  WaveSynthesis::BuildUnitPeakCycle(table.data(), INSTRUMENT_TABLE_SIZE, spectrum.partials.data(),
                                    static_cast<unsigned int>(spectrum.partials.size()), seed);
  sink.Put(name, table.data(), INSTRUMENT_TABLE_SIZE + 1);
}

}  // namespace

void BuildInstrumentTables(ITableSink& sink) {
  // The listed strong harmonics set each timbre; the weak ones (below 0.05)
  // round it off and let the cycle reach its peak of 1.
  Build(sink, "Tables::SYN_BRASS1_TABLE",
        SPECTRUM()
            .Add(1, 0.07)
            .Add(2, 0.156)
            .Add(3, 0.253)
            .Add(4, 0.237)
            .Add(5, 0.184)
            .Add(6, 0.105)
            .Add(7, 0.064)
            .Falling(8, 16, 0.04, 0.012),
        1);
  Build(sink, "Tables::SYN_BRASS2_TABLE",
        SPECTRUM().Add(1, 0.056).Add(2, 0.282).Add(3, 0.28).Add(4, 0.1).Add(5, 0.14).Add(6, 0.06).Falling(7, 22, 0.045,
                                                                                                          0.008),
        2);
  Build(sink, "Tables::SYN_CELLO_TABLE",
        SPECTRUM()
            .Add(1, 0.686)
            .Add(2, 0.346)
            .Add(3, 0.188)
            .Add(4, 0.131)
            .Add(5, 0.045)
            .Add(6, 0.054)
            .Falling(7, 12, 0.035, 0.008),
        3);
  Build(sink, "Tables::SYN_FLUTE2_TABLE",
        SPECTRUM().Add(1, 0.033).Add(2, 0.93).Add(3, 0.01).Add(4, 0.058).Add(6, 0.012), 4);
  Build(sink, "Tables::SYN_GUITAR1_TABLE",
        SPECTRUM().Add(1, 0.518).Add(2, 0.377).Add(3, 0.102).Falling(4, 8, 0.045, 0.008), 5);
  Build(sink, "Tables::SYN_OBOE_TABLE", SPECTRUM().Add(1, 0.163).Add(2, 0.822).Falling(3, 6, 0.04, 0.012), 6);
  Build(sink, "Tables::SYN_GUITARMOD1_TABLE",
        SPECTRUM()
            .Add(1, 0.158)
            .Add(2, 0.284)
            .Add(3, 0.379)
            .Add(4, 0.269)
            .Add(5, 0.208)
            .Add(6, 0.089)
            .Add(7, 0.04)
            .Add(8, 0.093)
            .Add(9, 0.207)
            .Add(10, 0.153)
            .Add(11, 0.133)
            .Add(12, 0.065)
            .Add(13, 0.03)
            .Add(14, 0.015),
        7);
  Build(sink, "Tables::SYN_GUITARMOD2_TABLE", SPECTRUM().Add(1, 0.747).Add(2, 0.169).Falling(3, 7, 0.045, 0.01), 8);
}

}  // namespace Tables

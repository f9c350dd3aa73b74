#pragma once
// The code that computes the lookup tables which the program carries as
// read-only data (the list is in tables/GeneratedTables.h). The build runs
// it ahead of time: tools/tablegen writes every table to a file that
// tables/EmbeddedTables.cpp takes into the program as it is compiled, so no
// run of the program computes them. The tests run the same code again and
// compare, bit for bit.

namespace Tables {

// Receives each finished table once, by its qualified name as in the list
// ("Tables::TUNE_TABLE", "LfoTables::SINE_TABLE"), with all its values
// (guard values included).
class ITableSink {
 public:
  virtual void Put(const char* name, const float* values, unsigned int count) = 0;

 protected:
  ~ITableSink() = default;
};

// One family of tables each (the header that declares them in brackets).
void BuildMainTables(ITableSink& sink);        // Tables.h
void BuildWaveTables(ITableSink& sink);        // WaveTables.h
void BuildToneTables(ITableSink& sink);        // ToneTables.h
void BuildInstrumentTables(ITableSink& sink);  // InstrumentTables.h
void BuildNoiseLoopTables(ITableSink& sink);   // NoiseLoopTables.h
void BuildLfoTables(ITableSink& sink);         // LfoTables.h
void BuildEnvTables(ITableSink& sink);         // EnvTables.h
void BuildNoiseTables(ITableSink& sink);       // NoiseTables.h
void BuildEffectCurves(ITableSink& sink);      // EffectCurves.h
void BuildKaiserTables(ITableSink& sink);      // KaiserTables.h
void BuildGrainTables(ITableSink& sink);       // GrainTables.h

// Every family above.
void BuildAllTables(ITableSink& sink);

}  // namespace Tables

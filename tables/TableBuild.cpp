#include "tables/TableBuild.h"

namespace Tables {

void BuildAllTables(ITableSink& sink) {
  BuildMainTables(sink);
  BuildWaveTables(sink);
  BuildToneTables(sink);
  BuildInstrumentTables(sink);
  BuildNoiseLoopTables(sink);
  BuildLfoTables(sink);
  BuildEnvTables(sink);
  BuildNoiseTables(sink);
  BuildEffectCurves(sink);
  BuildKaiserTables(sink);
  BuildGrainTables(sink);
}

}  // namespace Tables

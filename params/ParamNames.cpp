// Parameter display names: the long names of the modulatable ids (shown by the
// editor's value readout) and the short names the host shows for its
// parameters. Both lists are filled once per process and never change after,
// so the texts handed out stay valid while any instrument uses them.
#include <mutex>
#include <string>
#include <vector>

#include "engine/Params.h"

namespace {

// Long names of ids 0-360, one entry per id.
const char* const LONG_NAMES[] = {
    "", "", "", "",  // 0-3: oscillator pitch points
    "Osc1 Morph X", "Osc2 Morph X", "Osc3 Morph X", "Osc4 Morph X", "Osc1 Morph Y",              // 4-8
    "Osc2 Morph Y", "Osc3 Morph Y", "Osc4 Morph Y", "Osc1 FX1", "Osc2 FX1", "Osc3 FX1",          // 9-14
    "Osc4 FX1", "Osc1 FX2", "Osc2 FX2", "Osc3 FX2", "Osc4 FX2", "Osc1 FX3", "Osc2 FX3",          // 15-21
    "Osc3 FX3", "Osc4 FX3", "Osc1 FX4", "Osc2 FX4", "Osc3 FX4", "Osc4 FX4", "Osc1 FM",           // 22-28
    "Osc2 FM", "Osc3 FM", "Osc4 FM", "Osc1 RM", "Osc2 RM", "Osc3 RM", "Osc4 RM", "Osc1 Cutoff",  // 29-36
    "Osc2 Cutoff", "Osc3 Cutoff", "Osc4 Cutoff", "Osc1 Res", "Osc2 Res", "Osc3 Res",             // 37-42
    "Osc4 Res", "Osc1 Control", "Osc2 Control", "Osc3 Control", "Osc4 Control",                  // 43-47
    "Osc1 KeyScale", "Osc2 KeyScale", "Osc3 KeyScale", "Osc4 KeyScale", "Osc1 VelScale",         // 48-52
    "Osc2 VelScale", "Osc3 VelScale", "Osc4 VelScale", "Osc1 Drive", "Osc2 Drive",               // 53-57
    "Osc3 Drive", "Osc4 Drive", "Osc1 Pan", "Osc2 Pan", "Osc3 Pan", "Osc4 Pan", "Osc1 Level",    // 58-64
    "Osc2 Level", "Osc3 Level", "Osc4 Level", "Osc1 Bus", "Osc2 Bus", "Osc3 Bus", "Osc4 Bus",    // 65-71
    "Osc1 Detune", "Osc2 Detune", "Osc3 Detune", "Osc4 Detune", "Osc1 Phase", "Osc2 Phase",      // 72-77
    "Osc3 Phase", "Osc4 Phase", "Osc1 Vibrato", "Osc2 Vibrato", "Osc3 Vibrato", "Osc4 Vibrato",  // 78-83
    "Osc1 KeyScale", "Osc2 KeyScale", "Osc3 KeyScale", "Osc4 KeyScale", "Bus Send", "n/a",       // 84-89
    "n/a", "n/a", "n/a", "Bus1 Cutoff", "Bus2 Cutoff", "Bus1 Res", "Bus2 Res", "Bus1 Control",   // 90-97
    "Bus2 Control", "Bus1 KeyScale", "Bus2 KeyScale", "Bus1 VelScale", "Bus2 VelScale", "n/a",   // 98-103
    "n/a", "Bus1 Stereo", "Bus2 Stereo", "Bus1 Drive", "Bus2 Drive", "Bus1 DS Drive",            // 104-109
    "Bus2 DS Drive", "n/a", "n/a", "Bus1 DS Treble", "Bus2 DS Treble", "Bus1 DS Color",          // 110-115
    "Bus2 DS Color", "Bus1 LF Rate", "Bus2 LF Rate", "Bus1 LF Bit", "Bus2 LF Bit",               // 116-120
    "Bus1 LF Noise", "Bus2 LF Noise", "Bus1 LF Stereo", "Bus2 LF Stereo", "Bus1 LF KeySc",       // 121-125
    "Bus2 LF KeySc", "Bus1 Level", "Bus2 Level", "Bus1 Pan", "Bus2 Pan", "Master Pan",           // 126-131
    "Master Level", "Master Detune", "Master Glide", "Master Mono", "Env1 Attack",               // 132-136
    "Env2 Attack", "Env3 Attack", "AEnv Attack", "Env1 Decay", "Env2 Decay", "Env3 Decay",       // 137-142
    "AEnv Decay", "Env1 Sustain", "Env2 Sustain", "Env3 Sustain", "AEnv Sustain",                // 143-147
    "Env1 Release", "Env2 Release", "Env3 Release", "AEnv Release", "Env1 Slope", "Env2 Slope",  // 148-153
    "Env3 Slope", "AEnv Slope", "Lfo1 Amount", "Lfo2 Amount", "Lfo3 Amount", "Vibrato Amount",   // 154-159
    "Lfo1 Rate", "Lfo2 Rate", "Lfo3 Rate", "Vibrato Rate", "Lfo1 Phase", "Lfo2 Phase",           // 160-165
    "Lfo3 Phase", "Vibrato Phase", "Lfo1 KeyScale", "Lfo2 KeyScale", "Lfo3 KeyScale",            // 166-170
    "Vibrato KeyScale", "Lfo1 VelScale", "Lfo2 VelScale", "Lfo3 VelScale", "Vibrato VelScale",   // 171-175
    "Mseg1 Rate", "Mseg2 Rate", "Mseg3 Rate", "Mseg4 Rate", "Arp Shuffle", "Arp Gate",           // 176-181
    "TG Rate", "TG Smooth", "TG Mix", "Rev1 Predelay", "Rev2 Predelay", "Rev1 Size",             // 182-187
    "Rev2 Size", "Rev1 Decay", "Rev2 Decay", "Rev1 Lo Damp", "Rev2 Lo Damp", "Rev1 Hi Damp",     // 188-193
    "Rev2 Hi Damp", "Rev1 Rate", "Rev2 Rate", "Rev1 Depth", "Rev2 Depth", "Rev1 Mix",            // 194-199
    "Rev2 Mix", "Chr1 Delay", "Chr2 Delay", "Chr1 Rate", "Chr2 Rate", "Chr1 Depth",              // 200-205
    "Chr2 Depth", "Chr1 Highpass", "Chr2 Highpass", "Chr1 Stereo", "Chr2 Stereo", "Chr1 Mix",    // 206-211
    "Chr2 Mix", "Flg1 Delay", "Flg2 Delay", "Flg1 Feedback", "Flg2 Feedback", "Flg1 Highpass",   // 212-217
    "Flg2 Highpass", "Flg1 Rate", "Flg2 Rate", "Flg1 Depth", "Flg2 Depth", "Flg1 Stereo",        // 218-223
    "Flg2 Stereo", "Flg1 Mix", "Flg2 Mix", "Phs1 Freq", "Phs2 Freq", "Phs1 Mouth",               // 224-229
    "Phs2 Mouth", "Phs1 Feedback", "Phs2 Feedback", "Phs1 Rate", "Phs2 Rate", "Phs1 Depth",      // 230-235
    "Phs2 Depth", "Phs1 Stereo", "Phs2 Stereo", "Phs1 Mix", "Phs2 Mix", "Trm1 Rate",             // 236-241
    "Trm2 Rate", "Trm1 Edge", "Trm2 Edge", "Trm1 Gate", "Trm2 Gate", "Trm1 Stereo",              // 242-247
    "Trm2 Stereo", "Trm1 Mix", "Trm2 Mix", "Eq1 B1 Freq", "Eq2 B1 Freq", "Eq1 B1 Boost",         // 248-253
    "Eq2 B1 Boost", "Eq1 B1 BW", "Eq2 B1 BW", "Eq1 B2 Freq", "Eq2 B2 Freq", "Eq1 B2 Boost",      // 254-259
    "Eq2 B2 Boost", "Eq1 B2 BW", "Eq2 B2 BW", "Eq1 B3 Freq", "Eq2 B3 Freq", "Eq1 B3 Boost",      // 260-265
    "Eq2 B3 Boost", "Eq1 B3 BW", "Eq2 B3 BW", "Eq1 B4 Freq", "Eq2 B4 Freq", "Eq1 B4 Boost",      // 266-271
    "Eq2 B4 Boost", "Eq1 B4 BW", "Eq2 B4 BW", "Dly1 Time L", "Dly2 Time L", "Dly1 Time R",       // 272-277
    "Dly2 Time R", "Dly1 Reverse", "Dly2 Reverse", "Dly1 Feedback", "Dly2 Feedback",             // 278-282
    "Dly1 Shape", "Dly2 Shape", "Dly1 Lowpass", "Dly2 Lowpass", "Dly1 Highpass",                 // 283-287
    "Dly2 Highpass", "Dly1 Mono", "Dly2 Mono", "Dly1 Mix", "Dly2 Mix", "Eco1 Time",              // 288-293
    "Eco2 Time", "Eco1 Feedback", "Eco2 Feedback", "Eco1 Ratio", "Eco2 Ratio", "Eco1 Allpass",   // 294-299
    "Eco2 Allpass", "Eco1 Highpass", "Eco2 Highpass", "Eco1 Stereo", "Eco2 Stereo", "Eco1 Mix",  // 300-305
    "Eco2 Mix", "Dst1 Drive", "Dst2 Drive", "Dst1 Output", "Dst2 Output", "Dst1 Asym",           // 306-311
    "Dst2 Asym", "Dst1 Bass", "Dst2 Bass", "Dst1 Treble", "Dst2 Treble", "Dst1 Mix",             // 312-317
    "Dst2 Mix", "Grs1 Rate", "Grs2 Rate", "Grs1 Width", "Grs2 Width", "Grs1 Tune", "Grs2 Tune",  // 318-324
    "Grs1 Tune Rnd", "Grs2 Tune Rnd", "Grs1 Feedback", "Grs2 Feedback", "Grs1 Mix", "Grs2 Mix",  // 325-330
    "Mod Depth 1", "Mod Depth 2", "Mod Depth 3", "Mod Depth 4", "Mod Depth 5", "Mod Depth 6",    // 331-336
    "Mod Depth 7", "Mod Depth 8", "Mod Depth 9", "Mod Depth 10", "Mod Depth 11",                 // 337-341
    "Mod Depth 12", "Mod Depth 13", "Mod Depth 14", "Mod Depth 15", "Mod Depth 16",              // 342-346
    "Mod Depth 17", "Mod Depth 18", "Mod Depth 19", "Mod Depth 20", "Mod Depth 21",              // 347-351
    "Mod Depth 22", "Mod Depth 23", "Mod Depth 24", "Mod Depth 25", "Mod Depth 26",              // 352-356
    "Mod Depth 27", "Mod Depth 28", "Mod Depth 29", "Mod Depth 30",                              // 357-360
};
static_assert(sizeof(LONG_NAMES) / sizeof(LONG_NAMES[0]) == 361, "one long name per modulatable id");

struct SHORT_NAME {
  unsigned int id;
  const char* name;
};

// Short names of ids 0-1604 in increasing id order; ids not listed have an
// empty short name. Up to 9 characters; the host sees at most 8.
constexpr SHORT_NAME SHORT_NAMES[] = {
    {4, "O1 X"}, {5, "O2 X"}, {6, "O3 X"}, {7, "O4 X"}, {8, "O1 Y"}, {9, "O2 Y"}, {10, "O3 Y"},
    {11, "O4 Y"}, {12, "O1 FX1"}, {13, "O2 FX1"}, {14, "O3 FX1"}, {15, "O4 FX1"}, {16, "O1 FX2"},
    {17, "O2 FX2"}, {18, "O3 FX2"}, {19, "O4 FX2"}, {20, "O1 FX3"}, {21, "O2 FX3"}, {22, "O3 FX3"},
    {23, "O4 FX3"}, {24, "O1 FX4"}, {25, "O2 FX4"}, {26, "O3 FX4"}, {27, "O4 FX4"}, {28, "O1 FM"},
    {30, "O3 FM"}, {32, "O1 RM"}, {34, "O3 RM"}, {36, "O1 Cut"}, {37, "O2 Cut"}, {38, "O3 Cut"},
    {39, "O4 Cut"}, {40, "O1 Res"}, {41, "O2 Res"}, {42, "O3 Res"}, {43, "O4 Res"},
    {44, "O1 Ctrl"}, {45, "O2 Ctrl"}, {46, "O3 Ctrl"}, {47, "O4 Ctrl"}, {48, "O1 KeySc"},
    {49, "O2 KeySc"}, {50, "O3 KeySc"}, {51, "O4 KeySc"}, {52, "O1 VelSc"}, {53, "O2 VelSc"},
    {54, "O3 VelSc"}, {55, "O4 VelSc"}, {56, "O1 Drive"}, {57, "O2 Drive"}, {58, "O3 Drive"},
    {59, "O4 Drive"}, {60, "O1 Pan"}, {61, "O2 Pan"}, {62, "O3 Pan"}, {63, "O4 Pan"},
    {64, "O1 Level"}, {65, "O2 Level"}, {66, "O3 Level"}, {67, "O4 Level"}, {68, "O1 Bus"},
    {69, "O2 Bus"}, {70, "O3 Bus"}, {71, "O4 Bus"}, {72, "O1 Dtn"}, {73, "O2 Dtn"}, {74, "O3 Dtn"},
    {75, "O4 Dtn"}, {76, "O1 Phase"}, {77, "O2 Phase"}, {78, "O3 Phase"}, {79, "O4 Phase"},
    {80, "O1 Vibr"}, {81, "O2 Vibr"}, {82, "O3 Vibr"}, {83, "O4 Vibr"}, {84, "O1 KeySc"},
    {85, "O2 KeySc"}, {86, "O3 KeySc"}, {87, "O4 KeySc"}, {88, "B Send"}, {93, "B1 Cut"},
    {94, "B2 Cut"}, {95, "B1 Res"}, {96, "B2 Res"}, {97, "B1 Ctrl"}, {98, "B2 Ctrl"},
    {99, "B1 KeySc"}, {100, "B2 KeySc"}, {101, "B1 VelSc"}, {102, "B2 VelSc"}, {105, "B1 St"},
    {106, "B2 St"}, {107, "B1 Drive"}, {108, "B2 Drive"}, {109, "B1 Dist"}, {110, "B2 Dist"},
    {113, "B1 Trebl"}, {114, "B2 Trebl"}, {115, "B1 Color"}, {116, "B2 Color"}, {117, "B1 SR"},
    {118, "B2 SR"}, {119, "B1 Bit"}, {120, "B2 Bit"}, {121, "B1 Noise"}, {122, "B2 Noise"},
    {123, "B1 St"}, {124, "B2 St"}, {125, "B1 KeySc"}, {126, "B2 KeySc"}, {127, "B1 Level"},
    {128, "B2 Level"}, {129, "B1 Pan"}, {130, "B2 Pan"}, {131, "M Pan"}, {132, "M Level"},
    {133, "M Fine"}, {134, "M Glide"}, {135, "M Mono"}, {136, "E1 Att"}, {137, "E2 Att"},
    {138, "E3 Att"}, {139, "AE Att"}, {140, "E1 Decay"}, {141, "E2 Decay"}, {142, "E3 Decay"},
    {143, "AE Decay"}, {144, "E1 Sus"}, {145, "E2 Sus"}, {146, "E3 Sus"}, {147, "AE Sus"},
    {148, "E1 Rel"}, {149, "E2 Rel"}, {150, "E3 Rel"}, {151, "AE Rel"}, {152, "E1 Slope"},
    {153, "E2 Slope"}, {154, "E3 Slope"}, {155, "AE Slope"}, {156, "L1 Amt"}, {157, "L2 Amt"},
    {158, "L3 Amt"}, {159, "V Amt"}, {160, "L1 Rate"}, {161, "L2 Rate"}, {162, "L3 Rate"},
    {163, "V Rate"}, {164, "L1 Phase"}, {165, "L2 Phase"}, {166, "L3 Phase"}, {167, "V Phase"},
    {176, "Ms1 Rate"}, {177, "Ms2 Rate"}, {178, "Ms3 Rate"}, {179, "Ms4 Rate"}, {180, "Arp Shuf"},
    {181, "Arp Gate"}, {182, "TG Rate"}, {183, "TG Smth"}, {184, "TG Mix"}, {185, "R1 Pre"},
    {186, "R2 Pre"}, {187, "R1 Size"}, {188, "R2 Size"}, {189, "R1 Decay"}, {190, "R2 Decay"},
    {191, "R1 Lo"}, {192, "R2 Lo"}, {193, "R1 Hi"}, {194, "R2 Hi"}, {195, "R1 MRate"},
    {196, "R2 MRate"}, {197, "R1 MDep"}, {198, "R2 MDep"}, {199, "R1 Mix"}, {200, "R2 Mix"},
    {201, "C1 Delay"}, {202, "C2 Delay"}, {203, "C1 MRate"}, {204, "C2 MRate"}, {205, "C1 MDep"},
    {206, "C2 MDep"}, {207, "C1 Hi"}, {208, "C2 Hi"}, {209, "C1 St"}, {210, "C2 St"},
    {211, "C1 Mix"}, {212, "C2 Mix"}, {213, "F1 Delay"}, {214, "F2 Delay"}, {215, "F1 Fb"},
    {216, "F2 Fb"}, {217, "F1 Hi"}, {218, "F2 Hi"}, {219, "F1 MRate"}, {220, "F2 MRate"},
    {221, "F1 MDep"}, {222, "F2 MDep"}, {223, "F1 St"}, {224, "F2 St"}, {225, "F1 Mix"},
    {226, "F2 Mix"}, {227, "P1 Freq"}, {228, "P2 Freq"}, {229, "P1 Mouth"}, {230, "P2 Mouth"},
    {231, "P1 Fb"}, {232, "P2 Fb"}, {233, "P1 MRate"}, {234, "P2 MRate"}, {235, "P1 MDep"},
    {236, "P2 MDep"}, {237, "P1 St"}, {238, "P2 St"}, {239, "P1 Mix"}, {240, "P2 Mix"},
    {241, "T1 Rate"}, {242, "T2 Rate"}, {243, "T1 Edge"}, {244, "T2 Edge"}, {245, "T1 Gate"},
    {246, "T2 Gate"}, {247, "T1 St"}, {248, "T2 St"}, {249, "T1 Mix"}, {250, "T2 Mix"},
    {251, "Eq1 Fr1"}, {252, "Eq2 Fr1"}, {253, "Eq1 B1"}, {254, "Eq2 B1"}, {255, "Eq1 Bw1"},
    {256, "Eq2 Bw1"}, {257, "Eq1 Fr2"}, {258, "Eq2 Fr2"}, {259, "Eq1 B2"}, {260, "Eq2 B2"},
    {261, "Eq1 Bw2"}, {262, "Eq2 Bw2"}, {263, "Eq1 Fr3"}, {264, "Eq2 Fr3"}, {265, "Eq1 B3"},
    {266, "Eq2 B3"}, {267, "Eq1 Bw3"}, {268, "Eq2 Bw3"}, {269, "Eq1 Fr4"}, {270, "Eq2 Fr4"},
    {271, "Eq1 B4"}, {272, "Eq2 B4"}, {273, "Eq1 Bw4"}, {274, "Eq2 Bw4"}, {275, "D1 TimeL"},
    {276, "D2 TimeL"}, {277, "D1 TimeR"}, {278, "D2 TimeR"}, {279, "D1 Rev"}, {280, "D2 Rev"},
    {281, "D1 Fb"}, {282, "D2 Fb"}, {283, "D1 Shape"}, {284, "D2 Shape"}, {285, "D1 Lo"},
    {286, "D2 Lo"}, {287, "D1 Hi"}, {288, "D2 Hi"}, {289, "D1 Mono"}, {290, "D2 Mono"},
    {291, "D1 Mix"}, {292, "D2 Mix"}, {293, "Ec1 Time"}, {294, "Ec2 Time"}, {295, "Ec1 Fb"},
    {296, "Ec2 Fb"}, {297, "Ec1 Rat"}, {298, "Ec2 Rat"}, {299, "Ec1 Ap"}, {300, "Ec2 Ap"},
    {301, "Ec1 Hi"}, {302, "Ec2 Hi"}, {303, "Ec1 St"}, {304, "Ec2 St"}, {305, "Ec1 Mix"},
    {306, "Ec2 Mix"}, {307, "Ds1 Drv"}, {308, "Ds2 Drv"}, {309, "Ds1 Out"}, {310, "Ds2 Out"},
    {311, "Ds1 Asym"}, {312, "Ds2 Asym"}, {313, "Ds1 Bass"}, {314, "Ds2 Bass"}, {315, "Ds1 Trebl"},
    {316, "Ds2 Trebl"}, {317, "Ds1 Mix"}, {318, "Ds2 Mix"}, {319, "Gs1 Rate"}, {320, "Gs2 Rate"},
    {321, "Gs1 Widt"}, {322, "Gs2 Widt"}, {323, "Gs1 Tune"}, {324, "Gs2 Tune"}, {325, "Gs1 TunR"},
    {326, "Gs2 TunR"}, {327, "Gs1 Fb"}, {328, "Gs2 Fb"}, {329, "Gs1 Mix"}, {330, "Gs2 Mix"},
    {331, "Mod D1"}, {332, "Mod D2"}, {333, "Mod D3"}, {334, "Mod D4"}, {335, "Mod D5"},
    {336, "Mod D6"}, {337, "Mod D7"}, {338, "Mod D8"}, {339, "Mod D9"}, {340, "Mod D10"},
    {341, "Mod D11"}, {342, "Mod D12"}, {343, "Mod D13"}, {344, "Mod D14"}, {345, "Mod D15"},
    {346, "Mod D16"}, {347, "Mod D17"}, {348, "Mod D18"}, {349, "Mod D19"}, {350, "Mod D20"},
    {351, "Mod D21"}, {352, "Mod D22"}, {353, "Mod D23"}, {354, "Mod D24"}, {355, "Mod D25"},
    {356, "Mod D26"}, {357, "Mod D27"}, {358, "Mod D28"}, {359, "Mod D29"}, {360, "Mod D30"},
    {486, "Uni Dtn"}, {487, "Uni Spr"}, {1577, "Morph X"}, {1578, "Morph Y"},
};

const unsigned int LONG_NAME_COUNT = 361;
const unsigned int SHORT_NAME_COUNT = Params::PARAM_COUNT_V2;

constexpr bool ShortNamesAreOrdered() {
  unsigned int next = 0;
  for (const SHORT_NAME& s : SHORT_NAMES) {
    if (s.id < next || s.id >= SHORT_NAME_COUNT) return false;
    next = s.id + 1;
  }
  return true;
}
static_assert(ShortNamesAreOrdered(), "short names must be listed once per id, ascending, below 1605");

std::once_flag g_namesOnce;

void FillNames() {
  Params::ParamNames.clear();
  Params::ParamNames.reserve(LONG_NAME_COUNT);
  for (const char* name : LONG_NAMES) Params::ParamNames.emplace_back(name);

  Params::ShortParamNames.clear();
  Params::ShortParamNames.resize(SHORT_NAME_COUNT);
  for (const SHORT_NAME& s : SHORT_NAMES) Params::ShortParamNames[s.id] = s.name;
}

}  // namespace

namespace Params {

std::vector<std::string> ParamNames;
std::vector<std::string> ShortParamNames;

void InitParamNames() {
  // The first caller fills the lists; a concurrent caller waits until they are
  // complete, later callers leave them untouched.
  std::call_once(g_namesOnce, FillNames);
}

const char* GetParamName(unsigned int id) {
  InitParamNames();
  return id < ParamNames.size() ? ParamNames[id].c_str() : "";
}

const char* GetParamShortName(unsigned int id) {
  InitParamNames();
  return id < ShortParamNames.size() ? ShortParamNames[id].c_str() : "";
}

}  // namespace Params

#pragma once
// Synth parameter ids. Every parameter is one float word of SYNTH_PRESET and
// its id is that word's index. Where a module exists several times, the ids of
// one parameter of all instances are consecutive (id = base + instance), and
// the next parameter follows.
//
// Ids 0-360 are modulatable (smoothed per sample), ids 361-1604 are plain
// settings applied at the start of the next block, ids 1605-67157 hold the
// four user wavetables, their names and one reserved word
// (PARAM_WAVETABLE and PARAM_WAVETABLE_NAME in engine/SynthTypes.h).
//
// Reserved ids without behaviour: 89-92, 103-104, 111-112, 361, 475-476, 484,
// 532, 1585-1604 and 67157. They are stored, saved and loaded like any other.

#include "engine/SynthTypes.h"

// Counts.
const unsigned int SYNTH_PARAM_COUNT = PARAM_COUNT;  // 67,158 words
const unsigned int VST_PARAM_COUNT = 333;            // host-visible parameters
const unsigned int MOD_TARGET_COUNT = 285;           // modulation targets 0-284
const unsigned int PARAM_MOD_SLOT_COUNT = 30;        // stored modulation slots
const unsigned int OSC_COUNT = 4;
const unsigned int OSC_FX_SLOT_COUNT = 4;
const unsigned int BUS_COUNT = 2;
const unsigned int MSEG_COUNT = 4;
const unsigned int MSEG_POINT_COUNT = 64;
const unsigned int ARP_STEP_COUNT = 32;
const unsigned int TG_STEP_COUNT = 16;
const unsigned int FXMTX_ROW_COUNT = 2;
const unsigned int FXMTX_COLUMN_COUNT = 8;
const unsigned int MACRO_COUNT = 4;

// ---- Modulatable parameters (0-360) ----

// Oscillators. Ids 0-3 are only modulation points for the oscillator pitch:
// their modulation lists are used, their values are not.
const unsigned int PARAM_OSC_PITCH            =    0;  // ids 0-3, + oscillator 0-3
const unsigned int PARAM_OSC_MORPH_X          =    4;  // ids 4-7, + oscillator 0-3
const unsigned int PARAM_OSC_MORPH_Y          =    8;  // ids 8-11, + oscillator 0-3
const unsigned int PARAM_OSC_FX_AMOUNT        =   12;  // ids 12-27, + 4 x slot + oscillator
const unsigned int PARAM_OSC_FM               =   28;  // ids 28-31, + oscillator 0-3
const unsigned int PARAM_OSC_RM               =   32;  // ids 32-35, + oscillator 0-3
const unsigned int PARAM_OSC_CUTOFF           =   36;  // ids 36-39, + oscillator 0-3
const unsigned int PARAM_OSC_RES              =   40;  // ids 40-43, + oscillator 0-3
const unsigned int PARAM_OSC_CONTROL          =   44;  // ids 44-47, + oscillator 0-3
const unsigned int PARAM_OSC_FILTER_KEYSCALE  =   48;  // ids 48-51, + oscillator 0-3
const unsigned int PARAM_OSC_FILTER_VELSCALE  =   52;  // ids 52-55, + oscillator 0-3
const unsigned int PARAM_OSC_DRIVE            =   56;  // ids 56-59, + oscillator 0-3
const unsigned int PARAM_OSC_PAN              =   60;  // ids 60-63, + oscillator 0-3
const unsigned int PARAM_OSC_LEVEL            =   64;  // ids 64-67, + oscillator 0-3
const unsigned int PARAM_OSC_BUS              =   68;  // ids 68-71, + oscillator 0-3
const unsigned int PARAM_OSC_DETUNE           =   72;  // ids 72-75, + oscillator 0-3
const unsigned int PARAM_OSC_PHASE            =   76;  // ids 76-79, + oscillator 0-3
const unsigned int PARAM_OSC_VIBRATO          =   80;  // ids 80-83, + oscillator 0-3
const unsigned int PARAM_OSC_PITCH_KEYSCALE   =   84;  // ids 84-87, + oscillator 0-3

// Buses and master. Ids 89-92, 103-104 and 111-112 are reserved.
const unsigned int PARAM_BUS_SEND             =   88;  // id 88
const unsigned int PARAM_BUS_CUTOFF           =   93;  // ids 93-94, + bus 0-1
const unsigned int PARAM_BUS_RES              =   95;  // ids 95-96, + bus 0-1
const unsigned int PARAM_BUS_CONTROL          =   97;  // ids 97-98, + bus 0-1
const unsigned int PARAM_BUS_KEYSCALE         =   99;  // ids 99-100, + bus 0-1
const unsigned int PARAM_BUS_VELSCALE         =  101;  // ids 101-102, + bus 0-1
const unsigned int PARAM_BUS_STEREO           =  105;  // ids 105-106, + bus 0-1
const unsigned int PARAM_BUS_DRIVE            =  107;  // ids 107-108, + bus 0-1
const unsigned int PARAM_BUS_DS_DRIVE         =  109;  // ids 109-110, + bus 0-1
const unsigned int PARAM_BUS_DS_TREBLE        =  113;  // ids 113-114, + bus 0-1
const unsigned int PARAM_BUS_DS_COLOR         =  115;  // ids 115-116, + bus 0-1
const unsigned int PARAM_BUS_LF_RATE          =  117;  // ids 117-118, + bus 0-1
const unsigned int PARAM_BUS_LF_BIT           =  119;  // ids 119-120, + bus 0-1
const unsigned int PARAM_BUS_LF_NOISE         =  121;  // ids 121-122, + bus 0-1
const unsigned int PARAM_BUS_LF_STEREO        =  123;  // ids 123-124, + bus 0-1
const unsigned int PARAM_BUS_LF_KEYSCALE      =  125;  // ids 125-126, + bus 0-1
const unsigned int PARAM_BUS_LEVEL            =  127;  // ids 127-128, + bus 0-1
const unsigned int PARAM_BUS_PAN              =  129;  // ids 129-130, + bus 0-1
const unsigned int PARAM_MASTER_PAN           =  131;  // id 131
const unsigned int PARAM_MASTER_LEVEL         =  132;  // id 132
const unsigned int PARAM_MASTER_DETUNE        =  133;  // id 133
const unsigned int PARAM_MASTER_GLIDE         =  134;  // id 134
const unsigned int PARAM_MASTER_MONO          =  135;  // id 135

// Envelopes 1-3 and the amplitude envelope.
const unsigned int PARAM_ENV_ATTACK           =  136;  // ids 136-139, + envelope 0-2, 3 = amplitude envelope
const unsigned int PARAM_ENV_DECAY            =  140;  // ids 140-143, + envelope 0-2, 3 = amplitude envelope
const unsigned int PARAM_ENV_SUSTAIN          =  144;  // ids 144-147, + envelope 0-2, 3 = amplitude envelope
const unsigned int PARAM_ENV_RELEASE          =  148;  // ids 148-151, + envelope 0-2, 3 = amplitude envelope
const unsigned int PARAM_ENV_SLOPE            =  152;  // ids 152-155, + envelope 0-2, 3 = amplitude envelope

// LFOs 1-3 and the vibrato LFO. Key and velocity scale have names only.
const unsigned int PARAM_LFO_AMOUNT           =  156;  // ids 156-159, + LFO 0-2, 3 = vibrato LFO
const unsigned int PARAM_LFO_RATE             =  160;  // ids 160-163, + LFO 0-2, 3 = vibrato LFO
const unsigned int PARAM_LFO_PHASE            =  164;  // ids 164-167, + LFO 0-2, 3 = vibrato LFO
const unsigned int PARAM_LFO_KEYSCALE         =  168;  // ids 168-171, + LFO 0-2, 3 = vibrato LFO
const unsigned int PARAM_LFO_VELSCALE         =  172;  // ids 172-175, + LFO 0-2, 3 = vibrato LFO

// MSEG rates, arpeggiator and trance gate.
const unsigned int PARAM_MSEG_RATE            =  176;  // ids 176-179, + MSEG 0-3
const unsigned int PARAM_ARP_SHUFFLE          =  180;  // id 180
const unsigned int PARAM_ARP_GATE             =  181;  // id 181
const unsigned int PARAM_TG_RATE              =  182;  // id 182
const unsigned int PARAM_TG_SMOOTH            =  183;  // id 183
const unsigned int PARAM_TG_MIX               =  184;  // id 184

// Effect parameters: id = base + 2 x k + instance, where k is the parameter's
// place within its effect (FxParam below) and instance is 0 or 1.
const unsigned int PARAM_FX_REVERB            =  185;  // ids 185-200, + 2 x k + instance
const unsigned int PARAM_FX_CHORUS            =  201;  // ids 201-212, + 2 x k + instance
const unsigned int PARAM_FX_FLANGER           =  213;  // ids 213-226, + 2 x k + instance
const unsigned int PARAM_FX_PHASER            =  227;  // ids 227-240, + 2 x k + instance
const unsigned int PARAM_FX_TREMOLO           =  241;  // ids 241-250, + 2 x k + instance
const unsigned int PARAM_FX_EQ                =  251;  // ids 251-274, + 2 x k + instance
const unsigned int PARAM_FX_DELAY             =  275;  // ids 275-292, + 2 x k + instance
const unsigned int PARAM_FX_ECHOES            =  293;  // ids 293-306, + 2 x k + instance
const unsigned int PARAM_FX_DISTORTION        =  307;  // ids 307-318, + 2 x k + instance
const unsigned int PARAM_FX_GRAINSHIFTER      =  319;  // ids 319-330, + 2 x k + instance

// Modulation slot depths.
const unsigned int PARAM_MOD_DEPTH            =  331;  // ids 331-360, + modulation slot 0-29

// ---- Plain settings (361-1604) ----

// Modulation slots: source number and target number 0-284 (id 361 reserved).
const unsigned int PARAM_MOD_SOURCE           =  362;  // ids 362-391, + modulation slot 0-29
const unsigned int PARAM_MOD_TARGET           =  392;  // ids 392-421, + modulation slot 0-29

// Oscillator settings. Oscillator effect-slot types: + 4 x slot + oscillator.
const unsigned int PARAM_OSC_ON               =  422;  // ids 422-425, + oscillator 0-3
const unsigned int PARAM_OSC_INVERT           =  426;  // ids 426-429, + oscillator 0-3
const unsigned int PARAM_OSC_MODE             =  430;  // ids 430-433, + oscillator 0-3
const unsigned int PARAM_OSC_OCTAVE           =  434;  // ids 434-437, + oscillator 0-3
const unsigned int PARAM_OSC_SEMITONE         =  438;  // ids 438-441, + oscillator 0-3
const unsigned int PARAM_OSC_FREE_PHASE       =  442;  // ids 442-445, + oscillator 0-3
const unsigned int PARAM_OSC_FILTER_MODE      =  446;  // ids 446-449, + oscillator 0-3
const unsigned int PARAM_OSC_DRIVE_TYPE       =  450;  // ids 450-453, + oscillator 0-3
const unsigned int PARAM_OSC_FX_TYPE          =  454;  // ids 454-469, + 4 x slot + oscillator

// Bus settings (475-476 reserved). PARAM_BUS_MODE: 0 = buses run once on the
// mix, otherwise per voice.
const unsigned int PARAM_BUS_ON               =  470;  // ids 470-471, + bus 0-1
const unsigned int PARAM_BUS_MODE             =  472;  // id 472
const unsigned int PARAM_BUS_FILTER_MODE      =  473;  // ids 473-474, + bus 0-1
const unsigned int PARAM_BUS_DRIVE_TYPE       =  477;  // ids 477-478, + bus 0-1
const unsigned int PARAM_BUS_ORDER            =  479;  // ids 479-480, + bus 0-1

// Voice settings (484 reserved). PARAM_VOICE_MODE: 0 poly, 1 retrigger,
// 2 legato.
const unsigned int PARAM_GLIDE_MODE           =  481;  // id 481
const unsigned int PARAM_FILTER_GLIDE         =  482;  // id 482
const unsigned int PARAM_TRANSPOSE            =  483;  // id 483
const unsigned int PARAM_DECLICK              =  485;  // id 485
const unsigned int PARAM_UNISON_DETUNE        =  486;  // id 486
const unsigned int PARAM_UNISON_SPREAD        =  487;  // id 487
const unsigned int PARAM_UNISON_COUNT         =  488;  // id 488
const unsigned int PARAM_VOICE_MODE           =  489;  // id 489
const unsigned int PARAM_MAX_VOICES           =  490;  // id 490

// LFO and envelope settings.
const unsigned int PARAM_LFO_ON               =  491;  // ids 491-494, + LFO 0-2, 3 = vibrato LFO
const unsigned int PARAM_LFO_SHAPE            =  495;  // ids 495-498, + LFO 0-2, 3 = vibrato LFO
const unsigned int PARAM_LFO_TRIGGER          =  499;  // ids 499-502, + LFO 0-2, 3 = vibrato LFO
const unsigned int PARAM_LFO_SYNC             =  503;  // ids 503-506, + LFO 0-2, 3 = vibrato LFO
const unsigned int PARAM_ENV_ON               =  507;  // ids 507-510, + envelope 0-2, 3 = amplitude envelope
const unsigned int PARAM_ENV_KEYSCALE         =  511;  // ids 511-514, + envelope 0-2, 3 = amplitude envelope
const unsigned int PARAM_ENV_VELSCALE         =  515;  // ids 515-518, + envelope 0-2, 3 = amplitude envelope
const unsigned int PARAM_ENV_SYNC             =  519;  // ids 519-522, + envelope 0-2, 3 = amplitude envelope
const unsigned int PARAM_ENV_MODE             =  523;  // ids 523-526, + envelope 0-2, 3 = amplitude envelope

// Arpeggiator (532 reserved) and its 32 steps.
const unsigned int PARAM_ARP_ON               =  527;  // id 527
const unsigned int PARAM_ARP_STEPS            =  528;  // id 528
const unsigned int PARAM_ARP_RATE             =  529;  // id 529
const unsigned int PARAM_ARP_MODE             =  530;  // id 530
const unsigned int PARAM_ARP_OCTAVES          =  531;  // id 531
const unsigned int PARAM_ARP_STEP_PITCH       =  533;  // ids 533-564, + step
const unsigned int PARAM_ARP_STEP_LENGTH      =  565;  // ids 565-596, + step
const unsigned int PARAM_ARP_STEP_GATE        =  597;  // ids 597-628, + step
const unsigned int PARAM_ARP_STEP_VELOCITY    =  629;  // ids 629-660, + step
const unsigned int PARAM_ARP_STEP_TIE         =  661;  // ids 661-692, + step

// Trance gate and its 16 steps per side.
const unsigned int PARAM_TG_ON                =  693;  // id 693
const unsigned int PARAM_TG_STEPS             =  694;  // id 694
const unsigned int PARAM_TG_SYNC              =  695;  // id 695
const unsigned int PARAM_TG_STEREO            =  696;  // id 696
const unsigned int PARAM_TG_STEP_LEFT         =  697;  // ids 697-712, + step
const unsigned int PARAM_TG_STEP_RIGHT        =  713;  // ids 713-728, + step

// Effects matrix: cells are + 8 x row + column, row 0-1, column 0-7; effect
// sync indices and distortion curves are + instance.
const unsigned int PARAM_FXMTX_SPLIT          =  729;  // id 729
const unsigned int PARAM_FXMTX_BYPASS         =  730;  // id 730
const unsigned int PARAM_FXMTX_CELL_ON        =  731;  // ids 731-746, + 8 x row + column
const unsigned int PARAM_FXMTX_CELL_FX        =  747;  // ids 747-762, + 8 x row + column
const unsigned int PARAM_TREMOLO_SYNC         =  763;  // ids 763-764, + instance 0-1
const unsigned int PARAM_DELAY_SYNC_L         =  765;  // ids 765-766, + instance 0-1
const unsigned int PARAM_DELAY_SYNC_R         =  767;  // ids 767-768, + instance 0-1
const unsigned int PARAM_ECHOES_SYNC          =  769;  // ids 769-770, + instance 0-1
const unsigned int PARAM_DIST_CURVE           =  771;  // ids 771-772, + instance 0-1

// MSEG settings.
const unsigned int PARAM_MSEG_ON              =  773;  // ids 773-776, + MSEG 0-3
const unsigned int PARAM_MSEG_LOOP            =  777;  // ids 777-780, + MSEG 0-3
const unsigned int PARAM_MSEG_LOOP_START      =  781;  // ids 781-784, + MSEG 0-3
const unsigned int PARAM_MSEG_LOOP_END        =  785;  // ids 785-788, + MSEG 0-3
const unsigned int PARAM_MSEG_CURVE_MODE      =  789;  // ids 789-792, + MSEG 0-3
const unsigned int PARAM_MSEG_SYNC            =  793;  // ids 793-796, + MSEG 0-3
const unsigned int PARAM_MSEG_TRIGGER         =  797;  // ids 797-800, + MSEG 0-3
const unsigned int PARAM_MSEG_LEVEL_SNAP      =  801;  // ids 801-804, + MSEG 0-3
const unsigned int PARAM_MSEG_TIME_SNAP       =  805;  // ids 805-808, + MSEG 0-3

// MSEG breakpoints: + 192 x MSEG + point, point 0-63; a time of -1 ends the
// list.
const unsigned int PARAM_MSEG_POINT_TIME      =  809;  // ids 809 + 192 x MSEG, 64 words each
const unsigned int PARAM_MSEG_POINT_LEVEL     =  873;  // ids 873 + 192 x MSEG, 64 words each
const unsigned int PARAM_MSEG_POINT_CURVE     =  937;  // ids 937 + 192 x MSEG, 64 words each
const unsigned int PARAM_MSEG_POINT_STRIDE    =  192;

// Macros (controllers 130-133; macros 1 and 2 are host parameters) and global
// settings (1585-1604 reserved). PARAM_DC_BLOCK_OFF: 0 = output DC blockers on.
const unsigned int PARAM_MACRO                = 1577;  // ids 1577-1580, + macro 0-3
const unsigned int PARAM_OVERSAMPLING         = 1581;  // id 1581
const unsigned int PARAM_EXCITER              = 1582;  // id 1582
const unsigned int PARAM_BEND_RANGE           = 1583;  // id 1583
const unsigned int PARAM_DC_BLOCK_OFF         = 1584;  // id 1584

// Place k of each effect parameter within its effect block.
namespace FxParam {
enum Reverb { REVERB_PREDELAY, REVERB_SIZE, REVERB_DECAY, REVERB_LO_DAMP, REVERB_HI_DAMP, REVERB_RATE, REVERB_DEPTH, REVERB_MIX };
enum Chorus { CHORUS_DELAY, CHORUS_RATE, CHORUS_DEPTH, CHORUS_HIGHPASS, CHORUS_STEREO, CHORUS_MIX };
enum Flanger { FLANGER_DELAY, FLANGER_FEEDBACK, FLANGER_HIGHPASS, FLANGER_RATE, FLANGER_DEPTH, FLANGER_STEREO, FLANGER_MIX };
enum Phaser { PHASER_FREQ, PHASER_MOUTH, PHASER_FEEDBACK, PHASER_RATE, PHASER_DEPTH, PHASER_STEREO, PHASER_MIX };
enum Tremolo { TREMOLO_RATE, TREMOLO_EDGE, TREMOLO_GATE, TREMOLO_STEREO, TREMOLO_MIX };
// Equalizer: k = 3 x band + one of these, band 0-3.
enum Equalizer { EQ_FREQ, EQ_BOOST, EQ_BANDWIDTH };
enum Delay { DELAY_TIME_L, DELAY_TIME_R, DELAY_REVERSE, DELAY_FEEDBACK, DELAY_SHAPE, DELAY_LOWPASS, DELAY_HIGHPASS, DELAY_MONO, DELAY_MIX };
enum Echoes { ECHOES_TIME, ECHOES_FEEDBACK, ECHOES_RATIO, ECHOES_ALLPASS, ECHOES_HIGHPASS, ECHOES_STEREO, ECHOES_MIX };
enum Distortion { DIST_DRIVE, DIST_OUTPUT, DIST_ASYM, DIST_BASS, DIST_TREBLE, DIST_MIX };
enum GrainShifter { GRAINSHIFTER_RATE, GRAINSHIFTER_WIDTH, GRAINSHIFTER_TUNE, GRAINSHIFTER_TUNE_RANDOM, GRAINSHIFTER_FEEDBACK, GRAINSHIFTER_MIX };
}  // namespace FxParam

// Id helpers for the interleaved layouts.
constexpr unsigned int FxParamId(unsigned int base, unsigned int k, unsigned int instance) {
  return base + 2 * k + instance;
}
constexpr unsigned int OscFxParamId(unsigned int base, unsigned int slot, unsigned int osc) {
  return base + 4 * slot + osc;
}
constexpr unsigned int FxMatrixCellId(unsigned int base, unsigned int row, unsigned int column) {
  return base + 8 * row + column;
}
constexpr unsigned int MsegPointId(unsigned int base, unsigned int mseg, unsigned int point) {
  return base + PARAM_MSEG_POINT_STRIDE * mseg + point;
}

#pragma once
// Per-voice state of one oscillator, kept inside CVoice (one record per
// oscillator and unison sub-voice). The voice constructor writes randomPhase
// (one value in [0, 1) for all four oscillators of a voice); every other
// field belongs to the oscillator, its pitch module and sample player, which
// initialise it when a voice starts.

// One grain of the sample player's grain playback.
struct OSC_GRAIN_STATE {
  double readPosition;  // frames from the loop start
  float windowPhase;    // 0..1
  float length;         // host samples
  float pan;            // 0..1
  float pitchRatio;
};

const unsigned int OSC_UPSAMPLER_STAGES = 3;
const unsigned int OSC_UPSAMPLER_MEMORY = 14;
const unsigned int OSC_GRAIN_COUNT = 8;

struct OSC_STATE {
  // Oscillator render frame.
  float phase;        // running phase 0..1
  float randomPhase;  // start seed, drawn once when the voice is created
  float lastOutput;   // last sample written (after ring modulation and invert)
  float auxPhase1;    // a wave's own warped or partial phases
  float auxPhase2;
  float auxPhase3;
  // Sample player: left and right up-sampler memories, stage 0 first.
  float upSamplerLeft[OSC_UPSAMPLER_STAGES][OSC_UPSAMPLER_MEMORY];
  float upSamplerRight[OSC_UPSAMPLER_STAGES][OSC_UPSAMPLER_MEMORY];
  // Pitch module glide.
  float glideCurrent;  // note number, fractional while gliding
  float glideTarget;   // the voice's note
  float glideStep;     // note numbers per control step
  unsigned int glideStepsLeft;
  // Sample player grains and play position.
  OSC_GRAIN_STATE grains[OSC_GRAIN_COUNT];
  double playPosition;
};

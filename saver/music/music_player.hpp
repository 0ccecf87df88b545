#pragma once

namespace vorlune::saver {

// The background music of a full-screen run, the module Vorlune_BGM. The run
// form Vorlune_S starts and stops it and drives the two supervision steps
// from its timers (Mp3Poll every 1000 ms, CdPoll every 200 ms while
// CdPolling stays true). Reads BgmFile and BgmRepeat.
extern bool CdPolling;

void CdOpen();
void CdPoll();
void CdClose();

void Mp3Open();
bool Mp3IsPlaying();
void Mp3Poll();
void Mp3Close();

void WavPlay();
void WavStop();

}  // namespace vorlune::saver

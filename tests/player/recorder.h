// A voice-operation table that records every call the player makes, and module-building helpers.
#pragma once
#include "modwriter.h"
#include "player/player.h"
#include "sound/driver.h"

#include <string>
#include <vector>

struct Call {
    std::string op;
    long long a = 0;
    int voice = -1;
    bool operator==(const Call &o) const { return op == o.op && a == o.a && voice == o.voice; }
};

extern std::vector<Call> calls;
void install_recorder();
// The calls of one voice, optionally only one kind.
std::vector<Call> calls_of(int voice, const std::string &op = "");
std::vector<long long> values_of(int voice, const std::string &op);

// A song of one pattern (or more) with two samples: 1 (looped) and 2 (one-shot).
ModWriterSong small_song(int patterns = 1);
ModWriterCell cell(int sample, int note, int command = 0, int param = 0);
// Loads a song's bytes (kept alive in a static buffer with a zero byte after it); returns pt_load.
int load(const ModWriterSong &song);
void ticks(int n);

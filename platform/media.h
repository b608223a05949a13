// One media graph plays one song file, once: build it for a file, set its volume, run, halt, and
// wait for its end. A graph is never reused; the audio channel builds a new one for every song.
// Thread use: the channel's worker builds, waits on and destroys a graph; the user-interface thread
// calls volume, position, run and halt on it meanwhile. Every operation may be called from any thread.
#pragma once

#include <memory>
#include <string>

namespace Platform {

// How building a graph for a file went; the failures are the four kinds the player reports.
enum class Render_result {
    ok,
    invalid_file_format,  // recognised, but the data cannot be demultiplexed or decoded
    unknown_file_type,    // the media type of the file is not recognised
    unsupported_stream,   // recognised, but no decoder for the format is installed
    other_failure,        // anything else: missing or unreadable file, no audio device, time-out
};

// Volume in hundredths of a decibel: Volume_silence is silence, 0 is full volume.
inline constexpr int Volume_silence = -10000;
inline constexpr int Volume_full = 0;

class Media_graph {
public:
    // A new, empty graph; null when the media back end cannot make one at all.
    static std::unique_ptr<Media_graph> Create();
    virtual ~Media_graph() = default;

    // Builds the graph for the file and readies it to run (blocks until ready or failed).
    // A graph that failed still takes every call below; its completion wait returns at once.
    virtual Render_result Render_file(const std::string& path) = 0;

    // Volume in hundredths of a decibel, clamped to Volume_silence..Volume_full.
    virtual bool Set_volume(int hundredths_db) = 0;
    virtual bool Get_volume(int& hundredths_db) = 0;

    virtual bool Run() = 0;
    // Halts and keeps the graph and its position, so Run continues from there (pause).
    virtual bool Pause() = 0;
    // Halts for good: the completion wait ends, and the graph is only fit to be destroyed.
    virtual bool Stop() = 0;

    // False also while the length is not known yet (a stream without a length header is measured in its
    // first moments of play); Position answers meanwhile.
    virtual bool Duration(double& seconds) = 0;
    virtual bool Position(double& seconds) = 0;

    // Blocks until the song ends, playing fails, or Stop is called (before or during the wait).
    virtual void Wait_for_completion() = 0;
};

}  // namespace Platform

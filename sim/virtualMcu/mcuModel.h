// The panel MCU as the panel software sees it, written from the protocol's byte tables:
//
//   request                               answer
//   55 AA 80 04 "ver"                     55 AA 80 05 major(2) minor(2)
//   55 AA 81 15 LED map(20)               55 AA 81 15 status(20)
//   55 AA 82 05 "tbar"                    55 AA 82 05 max(2) min(2)
//   55 AA 83 0A "upgrade" size(2)         55 AA 83 02 06|15
//   55 AA 84 n+2 image bytes(n) check     55 AA 84 02 06|15|20   (n 1..128, check = low 8 bits
//                                                                 of the sum of the n bytes)
//   55 AA 85 05 "done"                    55 AA 85 02 06|15|20
//   55 AA 86 0D "settingtbar" selector    55 AA 86 02 06|15   (02 = store max, 03 = store min)
//   55 AA 87 L  "INITZEK" colour table    55 AA 87 02 06|15   (L = table length + 8)
//
// Status payload: lock (bit 0) | X: dir bit 4 + value bits 11..8, value bits 7..0 | Y | Z |
// shuttle: dir bit 7 + value | jog | T-bar (2) | sliders 1..4 | key bit map (5 bytes, key k in
// bit 7 - k % 8 of byte k / 8).
//
// The model keeps the controls' state, the last LED map and colour table it received and the
// stored T-bar ends, and turns the bytes it is fed into answers. Faults change answers on the way
// out; timing faults (silence, delays) are the caller's, which owns the clock. The firmware
// loader (types 83 to 85) keeps its own state and faults.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct McuControls {
    bool lock = false;
    std::array<int, 3> axis{};  // X, Y, Z magnitudes 0..4095
    std::array<bool, 3> axisDir{};
    int shuttle = 0;
    bool shuttleDir = false;
    int jog = 0;
    bool jogDir = false;
    int tbar = 0;
    std::array<int, 4> slider{};
    std::array<bool, 40> key{};
};

struct McuFaults {
    bool silent = false;
    int delayMs = 0;         // before the answer
    int byteDelayUs = 0;     // between answer bytes (87 is a byte time at 115200 baud)
    int garbageBytes = 0;    // bytes before the frame
    int truncateTo = -1;     // answer cut to this many bytes
    bool wrongType = false;  // answer carries another type
    int trailingBytes = 0;   // bytes after the frame
};

struct McuLoaderFaults {
    int nakPacks = 0;       // data packs still to be refused with NACK, however right
    int silentPacks = 0;    // data packs still to be lost on the way in: no answer, not taken
    bool fatal = false;     // the next data pack or done frame gets the fatal error
    bool notReady = false;  // start frames are refused with NACK
    // The MCU is held in its loader, as after an interrupted transfer: frames other than the
    // loader's go unanswered until a done frame confirms a new image.
    bool stuck = false;
};

// The loader that takes a new firmware image: a start frame announces the size (16 bits) and
// begins a fresh reception, even in the middle of one; data packs carry the image in order; a
// done frame ends the reception and is acknowledged only when the image has exactly the
// announced size, which then becomes the confirmed image.
//
// Packs carry no offset, so a pack sent twice cannot be told from two equal packs in a row (fill
// bytes make those common). The rule is therefore:
//   - a pack with a right check byte is added while the image is short of the announced size;
//   - once the image is complete, a pack equal to the one that completed it is a repeat: it is
//     acknowledged and not added (the sender repeats its last pack once before "done");
//   - any other pack would run past the announced size, so it cannot belong to this image: fatal
//     error, reception abandoned.
// A refused pack (NACK) is not added, so the sender's next try is taken as new; so is a pack lost
// by the "silent" fault, which stands for a pack that never reached the loader.
class McuLoader {
public:
    struct Step {
        std::string answer;  // whole answer frame; empty when the loader says nothing
        std::string note;    // for the log: what happened or why a frame was refused
    };

    static bool handles(std::uint8_t type) { return type >= 0x83 && type <= 0x85; }
    // One upgrade frame: its type and the payload after the length byte.
    Step take(std::uint8_t type, const std::string& payload);

    bool receiving() const { return receiving_; }
    std::size_t announced() const { return announced_; }
    // The image rebuilt so far by the present or last reception.
    const std::string& received() const { return received_; }
    // The image of the last reception confirmed by a done frame.
    bool hasImage() const { return hasImage_; }
    const std::string& image() const { return image_; }
    // "state=idle|receiving announced=N received=N packs=N repeats=N naks=N starts=N done=N"
    std::string summary() const;
    void resetCounts();

    McuLoaderFaults faults;
    long packs = 0;    // data packs added to an image
    long repeats = 0;  // data packs acknowledged as repeats and not added
    long naks = 0;     // NACK answers, to any of the three frames
    long starts = 0;   // start frames received, refused ones included
    long dones = 0;    // done frames received, refused ones included

private:
    Step start(const std::string& payload);
    Step data(const std::string& payload);
    Step done(const std::string& payload);
    Step nack(std::uint8_t type, const std::string& why);
    Step fatal(std::uint8_t type, const std::string& why);

    bool receiving_ = false;
    // The last reception was abandoned on a fatal error; a done frame for it gets the same answer.
    bool failed_ = false;
    std::size_t announced_ = 0;
    std::string received_;
    std::string lastPack_;  // the image bytes of the last pack added
    bool hasImage_ = false;
    std::string image_;
};

class McuModel {
public:
    McuModel();

    // Takes bytes from the line and returns the answers, faults applied, one per complete
    // request frame. Partial frames wait for more bytes.
    std::vector<std::string> feed(const std::string& bytes);

    McuControls controls;
    McuFaults faults;
    McuLoader loader;
    int versionMajor = 0x0001;
    int versionMinor = 0x0007;
    int tbarMax = 1012;
    int tbarMin = 23;

    const std::string& ledMap() const { return ledMap_; }
    const std::string& colourTable() const { return colourTable_; }
    // Colour index the LED map gives key k (high nibble for even k).
    int ledColour(int key) const;
    // The 20-byte status payload of the present controls.
    std::string statusPayload() const;

    std::map<int, long> framesByType;
    // Types of the first frames received, in order (the first 16), and the first LED map.
    std::vector<int> firstTypes;
    // Types of the latest frames received, in order (the last 256), since the counts were reset.
    std::deque<int> recentTypes;
    std::string firstLedMap;
    long rejectedFrames = 0;
    long droppedBytes = 0;

    // Where refused frames, dropped bytes and the loader's steps are reported (one line each, no
    // newline); unset means nowhere.
    std::function<void(const std::string& line)> log;

private:
    std::string answerFor(std::uint8_t type, const std::string& payload);
    std::string applyFaults(std::string answer) const;
    void note(const std::string& line) const;
    void noteDropped(std::size_t count);

    std::string pending_;
    std::string ledMap_;
    std::string colourTable_;
};

std::string mcuHex(const std::string& bytes);
bool mcuUnhex(const std::string& text, std::string& bytes);

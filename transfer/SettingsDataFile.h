#pragma once

#include "base/FileFault.h"
#include "base/SettingData.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

// Settings data files ("*.znm"): 61 text lines ended by CR LF, a text field in double quotation
// marks, an integer as signed decimal digits. Line 1 the model name, line 2 the format marker,
// lines 3 to 8 the unit configuration (alarm 2, heating/cooling, heater burnout, contact input,
// output type, serial communication), lines 9 to 61 settingValues 1 to 53. A line 62
// "held outside limits" followed by parameter codes (`"held outside limits" 19 25`) names the
// values that lie outside the limits a write of them would have, as a controller held them when
// the file was written; earlier versions do not read past line 61.
namespace SettingsDataFile
{

constexpr int ValueCount = 53;
constexpr int LineCount = 61;
// The model name the program writes.
inline const char *const ModelName = "ZN8P";

// What a file holds, laid out as in SessionState (settingValues 1 to 53 used).
struct Contents {
    QString modelName;
    qint16 formatMarker = 0;
    UnitConfig unitConfig;
    std::array<qint16, SettingData::SettingCount> settingValues{};
    // The codes line 62 names as held outside their limits.
    QList<int> heldOutsideLimits;
};

enum class Fault {
    None,
    Unreadable,   // no regular file, or it cannot be opened
    Missing,      // the file ends before this line
    NotNumber,    // no integer of 16 bits (or a line longer than any field)
    ModelName,    // line 1 is not "ZN8P"
    FormatMarker, // line 2 is neither 0 nor 1
    OutOfRange,   // a unit configuration value or a setting value outside its limits
};

struct ReadResult {
    Fault fault = Fault::None;
    int line = 0; // the first bad line, 1 to 61; 0 for Unreadable
    // OutOfRange: the value and its limits, and the parameter code (0 for a unit configuration
    // line).
    int code = 0;
    int value = 0;
    int min = 0;
    int max = 0;
    Contents contents; // complete when ok() or OutOfRange

    bool ok() const { return fault == Fault::None; }
};

// What becomes of the unit configuration of a file with format marker 1. File load and znctl
// download take such a file with no installed options; the file named at start-up keeps the
// options it holds, as the start-up has always taken it.
enum class Marker1 {
    DropsUnitConfig,
    KeepsUnitConfig,
};

// Reads and checks a whole file; nothing outside the result changes. The file is good when its
// first 61 lines hold the model name "ZN8P", a format marker of 0 or 1, the unit configuration
// (each field within its choices; not checked when format marker 1 drops it) and 53 values each
// within the limits a write of it would have for the file's own values and the unit configuration
// taken (all options absent when format marker 1 drops them), but for the values that line 62
// names as held outside their limits, which are taken as the controller held them. What follows
// is not read, nor a line 62 of any other form. Only the lines needed are read, one at a time and
// bounded, so a huge file costs no more memory than a normal one.
ReadResult read(const QString &path, Marker1 marker1 = Marker1::DropsUnitConfig);

// The codes of the values that a file of them marks as held outside their limits.
QList<int> heldOutsideLimits(const SettingData &settings);

// Puts good contents in place: modelName, formatMarker, the unit configuration (cleared when
// format marker 1 drops it) and settingValues 1 to 53, and sets settingsFromFile.
void take(const Contents &contents, SettingData &settings,
          Marker1 marker1 = Marker1::DropsUnitConfig);

// The file text for settings: the model name "ZN8P", the format marker 0, the unit configuration
// and the 53 values, and when some of them lie outside the limits a write of them would have (a
// controller can hold such a value: a limit moved after it was set), line 62 naming them, so that
// the file reads back as written. settings.formatMarker is not written: a file the program writes
// always carries 0.
QByteArray compose(const SettingData &settings);

// Writes compose(settings) to path whole or not at all (WholeFileWriter): a failure part way (a
// full disk, a killed process) leaves the previous file as it was, and a path that exists as
// something other than a regular file is never written. Returns why the file was not written, none
// when it was.
FileFault write(const QString &path, const SettingData &settings);

} // namespace SettingsDataFile

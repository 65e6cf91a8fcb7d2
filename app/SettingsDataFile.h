#pragma once

#include <QByteArray>
#include <QString>

struct ZN8P_INC;

// Settings data files ("*.znm"): 61 text lines ended by CR LF, a text field in double quotation
// marks, an integer as signed decimal digits. Line 1 the model name, line 2 the format marker,
// lines 3 to 8 the unit configuration (alarm 2, heating/cooling, heater burnout, contact input,
// output type, serial communication), lines 9 to 61 settingValues 1 to 53.
namespace SettingsDataFile
{

constexpr int ValueCount = 53;
constexpr int LineCount = 61;
// The model name the program writes.
inline const char *const ModelName = "ZN8P";

// Reads a file into inc.modelName, inc.formatMarker, inc.unitConfig and settingValues 1 to 53, in
// file order. Returns false when the file is no regular file or cannot be opened, ends early or
// holds a field that is not what its line needs (an integer outside 16 bits, a line longer than
// 256 bytes); the fields read before the fault stay in inc. Only the 61 lines needed are read, one
// at a time, so a huge file costs no more memory than a normal one. Fields are taken as they are:
// nothing is validated or cleared here.
bool read(const QString &path, ZN8P_INC &inc);

// The file text for inc: the model name "ZN8P", the format marker 0, the unit configuration and
// the 53 values. inc.formatMarker is not written: a file the program writes always carries 0.
QByteArray compose(const ZN8P_INC &inc);

// Writes compose(inc) to path through a temporary file that replaces the old one only when
// complete, so a failure part way (a full disk, a killed process) leaves the previous file as it
// was. Returns false when the file was not written, with the reason in *error when error is given;
// a path that exists as something other than a regular file is never written.
bool write(const QString &path, const ZN8P_INC &inc, QString *error = nullptr);

} // namespace SettingsDataFile

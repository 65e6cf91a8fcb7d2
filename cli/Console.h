#pragma once

#include <QString>
#include <QTextStream>

// Standard output (results, for scripts) and standard error (messages, progress) of the tool.
// Every line is flushed at once, so that a pipe or a log sees it while the run goes on.
class Console
{
public:
    Console();

    void line(const QString &text); // standard output
    // Standard output without the instrument in front: CSV and JSON lines carry their own.
    void rawLine(const QString &text);
    // Standard error; namesInstrument: the text names its instrument itself, so it goes without
    // the "instrument NN: " of several instruments.
    void errorLine(const QString &text, bool namesInstrument = false);
    // A progress line redrawn in place on a terminal; nothing when standard error is no terminal.
    void progress(const QString &text);
    // Ends a progress line that was drawn, so that the next text starts on a line of its own.
    void endProgress();

    bool errorIsTerminal() const { return m_errorIsTerminal; }

    // While several instruments are served in turn: the one served now, as two digits. It leads
    // every line of standard output ("NN<tab>...") and names the instrument on every message
    // ("instrument NN: ..."); empty: lines as they are.
    void setInstrument(const QString &instrument) { m_instrument = instrument; }

private:
    QTextStream m_out;
    QTextStream m_err;
    bool m_errorIsTerminal;
    bool m_progressShown = false;
    QString m_instrument;
};

#include "Console.h"

#include <cstdio>
#include <unistd.h>

Console::Console() : m_out(stdout), m_err(stderr), m_errorIsTerminal(::isatty(STDERR_FILENO) == 1)
{
}

void Console::line(const QString &text)
{
    if (!m_instrument.isEmpty())
        m_out << m_instrument << '\t';
    m_out << text << Qt::endl;
}

void Console::rawLine(const QString &text)
{
    m_out << text << Qt::endl;
}

void Console::errorLine(const QString &text, bool namesInstrument)
{
    endProgress();
    if (!m_instrument.isEmpty() && !namesInstrument)
        m_err << "instrument " << m_instrument << ": ";
    m_err << text << Qt::endl;
}

void Console::progress(const QString &text)
{
    if (!m_errorIsTerminal)
        return;
    // Carriage return and "erase to end of line": the line is rewritten, not appended.
    m_err << "\r\x1b[K" << text << Qt::flush;
    m_progressShown = true;
}

void Console::endProgress()
{
    if (!m_progressShown)
        return;
    m_err << Qt::endl;
    m_progressShown = false;
}

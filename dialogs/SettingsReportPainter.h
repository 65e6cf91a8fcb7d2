#pragma once

#include "base/FileFault.h"
#include "dialogs/SettingsReport.h"

#include <QList>
#include <QSizeF>

class QImage;
class QPagedPaintDevice;
class QPainter;

// Draws a settings report on pages: the title, header and model options on the first page, then
// the groups in a table of item, value and unit that runs on over as many pages as it needs
// (column headings again at the top of each page, a group title never alone at the foot), and
// "Page n of m" at the foot of each. Everything is laid out in points, so that a printer, a PDF
// file and a picture show the same pages. QtGui only: no widgets.
class SettingsReportPainter
{
public:
    // Lays report out on pages whose printable area is pageSize (points).
    SettingsReportPainter(const SettingsReport &report, const QSizeF &pageSize);

    int pageCount() const { return int(m_pages.size()); }
    // Draws page (from 0) with painter's coordinates in points from the printable area's corner.
    void paintPage(QPainter &painter, int page) const;

    // Every page onto device, sized by its page layout; false when it refused a page (a printer
    // error, a file that cannot be written).
    static bool print(const SettingsReport &report, QPagedPaintDevice &device);
    // The report as an A4 PDF file, written whole or not at all (WholeFileWriter); why it was not
    // written, none when it was.
    static FileFault writePdf(const SettingsReport &report, const QString &path);
    // A page as a picture on white, A4 at scale pixels per point.
    static QImage pageImage(const SettingsReport &report, int page, qreal scale);

private:
    enum class Kind { Title, Header, Subtitle, Option, Headings, Group, Row };
    struct Line {
        Kind kind;
        QStringList texts;
    };

    static qreal heightOf(Kind kind);
    void layOut(const SettingsReport &report);
    void paintLine(QPainter &painter, const Line &line, qreal top) const;

    QSizeF m_pageSize;
    QStringList m_headings;
    QString m_pageText;
    QList<QList<Line>> m_pages;
};

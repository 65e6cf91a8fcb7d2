#include "SettingsReportPainter.h"

#include "base/MessageTable.h"
#include "base/WholeFileWriter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace
{
constexpr int ItemText = 1066;
constexpr int ValueText = 1067;
constexpr int UnitText = 1068;
constexpr int PageText = 1070;

// Font sizes in points; the painter's window is in points too.
constexpr int TitleSize = 16;
constexpr int TextSize = 9;
constexpr qreal FooterHeight = 24;
constexpr qreal Indent = 12;
constexpr qreal Padding = 4;
// Column starts as parts of the width: item name, value, unit.
constexpr qreal ValueColumn = 0.56;
constexpr qreal UnitColumn = 0.84;

const QColor RuleColour(160, 160, 160);
const QColor GroupShade(228, 232, 240);

QFont fontOf(int size, bool bold = false)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(size);
    // No ligatures: a reader who copies or searches the text finds "file" as typed.
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setBold(bold);
    return font;
}

// text in the box, cut with "…" where it does not fit.
void drawFitted(QPainter &painter, const QRectF &box, const QString &text, int flags = 0)
{
    const QString fitted =
        QFontMetricsF(painter.font()).elidedText(text, Qt::ElideMiddle, box.width());
    painter.drawText(box, Qt::AlignVCenter | flags, fitted);
}

QPageLayout a4Layout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}
} // namespace

SettingsReportPainter::SettingsReportPainter(const SettingsReport &report, const QSizeF &pageSize)
    : m_pageSize(pageSize), m_headings{msg(ItemText), msg(ValueText), msg(UnitText)},
      m_pageText(msg(PageText))
{
    layOut(report);
}

qreal SettingsReportPainter::heightOf(Kind kind)
{
    switch (kind) {
    case Kind::Title:
        return 32;
    case Kind::Subtitle:
    case Kind::Headings:
        return 22;
    case Kind::Group:
        return 20;
    case Kind::Header:
    case Kind::Option:
    case Kind::Row:
        break;
    }
    return 14;
}

void SettingsReportPainter::layOut(const SettingsReport &report)
{
    QList<Line> lines{{Kind::Title, {report.title}}};
    for (const SettingsReport::Line &line : report.header)
        lines.append({Kind::Header, {line.name, line.value}});
    lines.append({Kind::Subtitle, {report.optionsTitle}});
    for (const SettingsReport::Line &line : report.options)
        lines.append({Kind::Option, {line.name, line.value}});
    lines.append({Kind::Headings, m_headings});
    for (const SettingsReport::Group &group : report.groups) {
        lines.append({Kind::Group, {group.title}});
        for (const SettingsReport::Row &row : group.rows)
            lines.append({Kind::Row, {row.name, row.value, row.unit}});
    }

    const qreal bottom = m_pageSize.height() - FooterHeight;
    m_pages = {QList<Line>()};
    qreal top = 0;
    bool inTable = false;
    const Line *group = nullptr;
    for (const Line &line : lines) {
        inTable = inTable || line.kind == Kind::Headings;
        // A group title keeps its first row with it.
        const qreal needed =
            heightOf(line.kind) + (line.kind == Kind::Group ? heightOf(Kind::Row) : qreal(0));
        if (top + needed > bottom && !m_pages.constLast().isEmpty()) {
            m_pages.append(QList<Line>());
            top = 0;
            if (inTable && line.kind != Kind::Headings) {
                m_pages.last().append({Kind::Headings, m_headings});
                top += heightOf(Kind::Headings);
            }
            // A group that runs on is named again.
            if (line.kind == Kind::Row) {
                m_pages.last().append(*group);
                top += heightOf(Kind::Group);
            }
        }
        if (line.kind == Kind::Group)
            group = &line;
        m_pages.last().append(line);
        top += heightOf(line.kind);
    }
}

void SettingsReportPainter::paintPage(QPainter &painter, int page) const
{
    painter.save();
    painter.setPen(Qt::black);
    qreal top = 0;
    for (const Line &line : m_pages.at(page)) {
        paintLine(painter, line, top);
        top += heightOf(line.kind);
    }
    painter.setFont(fontOf(TextSize));
    const QRectF footer(0, m_pageSize.height() - FooterHeight, m_pageSize.width(), FooterHeight);
    painter.drawText(footer, Qt::AlignRight | Qt::AlignBottom,
                     m_pageText.arg(page + 1).arg(pageCount()));
    painter.restore();
}

void SettingsReportPainter::paintLine(QPainter &painter, const Line &line, qreal top) const
{
    const qreal width = m_pageSize.width();
    const qreal height = heightOf(line.kind);
    const QRectF whole(0, top, width, height);
    const qreal valueLeft = width * ValueColumn;
    const qreal unitLeft = width * UnitColumn;
    const auto column = [&](qreal left, qreal right) {
        return QRectF(left + Padding, top, right - left - 2 * Padding, height);
    };
    switch (line.kind) {
    case Kind::Title:
        painter.setFont(fontOf(TitleSize, true));
        drawFitted(painter, whole, line.texts.at(0));
        return;
    case Kind::Subtitle:
        painter.setFont(fontOf(TextSize, true));
        drawFitted(painter, whole.adjusted(0, 6, 0, 0), line.texts.at(0));
        return;
    case Kind::Header:
    case Kind::Option: {
        const qreal indent = line.kind == Kind::Option ? Indent : 0;
        painter.setFont(fontOf(TextSize, true));
        drawFitted(painter, column(indent, valueLeft * 0.5), line.texts.at(0));
        painter.setFont(fontOf(TextSize));
        drawFitted(painter, column(valueLeft * 0.5, width), line.texts.at(1));
        return;
    }
    case Kind::Headings:
        painter.setFont(fontOf(TextSize, true));
        drawFitted(painter, column(0, valueLeft), line.texts.at(0), Qt::AlignBottom);
        drawFitted(painter, column(valueLeft, unitLeft), line.texts.at(1), Qt::AlignBottom);
        drawFitted(painter, column(unitLeft, width), line.texts.at(2), Qt::AlignBottom);
        painter.setPen(QPen(Qt::black, 0.8));
        painter.drawLine(QPointF(0, top + height), QPointF(width, top + height));
        painter.setPen(Qt::black);
        return;
    case Kind::Group:
        painter.fillRect(whole.adjusted(0, 3, 0, 0), GroupShade);
        painter.setFont(fontOf(TextSize, true));
        drawFitted(painter, column(0, width).adjusted(0, 3, 0, 0), line.texts.at(0));
        return;
    case Kind::Row:
        break;
    }
    painter.setFont(fontOf(TextSize));
    drawFitted(painter, column(Indent, valueLeft), line.texts.at(0));
    drawFitted(painter, column(valueLeft, unitLeft), line.texts.at(1));
    drawFitted(painter, column(unitLeft, width), line.texts.at(2));
    painter.setPen(QPen(RuleColour, 0.3));
    painter.drawLine(QPointF(0, top + height), QPointF(width, top + height));
    painter.setPen(Qt::black);
}

bool SettingsReportPainter::print(const SettingsReport &report, QPagedPaintDevice &device)
{
    const QRectF area = device.pageLayout().paintRect(QPageLayout::Point);
    const SettingsReportPainter pages(report, area.size());
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    // The device counts in its own dots; the pages are laid out in points.
    const qreal dotsPerPoint = painter.viewport().width() / area.width();
    painter.scale(dotsPerPoint, dotsPerPoint);
    for (int page = 0; page < pages.pageCount(); ++page) {
        if (page > 0 && !device.newPage())
            return false;
        pages.paintPage(painter, page);
    }
    return painter.end();
}

FileFault SettingsReportPainter::writePdf(const SettingsReport &report, const QString &path)
{
    WholeFileWriter file(path);
    if (!file.open())
        return file.fault();
    {
        QPdfWriter writer(&file.device());
        writer.setPageLayout(a4Layout());
        writer.setTitle(report.title);
        writer.setCreator(QGuiApplication::applicationDisplayName());
        // A painter that cannot draw is no file fault of the disk's: the writes said nothing.
        if (!print(report, writer) && file.fault().isNone())
            return FileFault(path, FileFault::Reason::Other,
                             QStringLiteral("the report could not be drawn"));
    }
    file.commit();
    return file.fault();
}

QImage SettingsReportPainter::pageImage(const SettingsReport &report, int page, qreal scale)
{
    const QPageLayout layout = a4Layout();
    const QRectF full = layout.fullRect(QPageLayout::Point);
    const QRectF area = layout.paintRect(QPageLayout::Point);
    QImage image((full.size() * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.translate(area.topLeft());
    SettingsReportPainter(report, area.size()).paintPage(painter, page);
    return image;
}

#pragma once

#include "base/SessionState.h"
#include "comm/RegisterMap.h"
#include "comm/SettingsStore.h"
#include "tests/support/FakeCom.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/RecordingMainView.h"
#include "tests/support/ScriptedController.h"
#include "transfer/CoreSession.h"
#include "transfer/JournalFile.h"

#include <QDate>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The core session over a scripted controller, its stored conditions and journal in a temporary
// folder; the names below are short ways to its parts.
struct CoreRig {
    explicit CoreRig(qint16 protocol = ModbusAscii)
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        shared.protocolIndex = protocol;
        shared.savedProtocolIndex = protocol;
        RegisterMap::fillRegisterTable(shared);
        RegisterMap::fillVendorItemTable(shared);
        controller.install(*script);
        link.renew();
    }

    // User-protocol requests as "R 0080" (read) or "W 0000=4C1A" (write; data as sent), with
    // Ravtocol addresses given in Modbus form.
    QStringList userRequests() const
    {
        QStringList list;
        for (const FakeCom::Request &r : script->requests) {
            if (r.frameMode == FrameMode::Vendor)
                continue;
            const bool read = r.command == QLatin1String("03") || r.command == QLatin1String("RD");
            const QString address = ScriptedController::modbusAddress(r);
            list << (read ? QStringLiteral("R ") + address
                          : QStringLiteral("W %1=%2").arg(address, r.data));
        }
        return list;
    }
    // Vendor items of the vendor-frame reads, in order (each read is sent twice).
    QStringList vendorReads() const
    {
        QStringList list;
        for (const FakeCom::Request &r : script->requests) {
            if (r.frameMode == FrameMode::Vendor && r.command == QLatin1String("a"))
                list << r.address;
        }
        return list;
    }
    // The write journal's entries of this month, oldest first, each as "code sent outcome detail"
    // ("11 250 refused keys operated"); the value before as "before=N" in front when one was read.
    QStringList journalLines() const
    {
        QStringList list;
        QList<QStringList> entries =
            JournalFile::latest(journal.pathFor(QDate::currentDate()), 1000);
        for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
            const QStringList &e = *it;
            QString text =
                QStringLiteral("%1 %2 %3")
                    .arg(e[JournalFile::Code], e[JournalFile::RawSent], e[JournalFile::Outcome]);
            if (!e[JournalFile::Detail].isEmpty())
                text += QLatin1Char(' ') + e[JournalFile::Detail];
            if (!e[JournalFile::RawBefore].isEmpty())
                text.prepend(QStringLiteral("before=%1 ").arg(e[JournalFile::RawBefore]));
            list << text;
        }
        return list;
    }
    int returnCommands() const
    {
        int count = 0;
        for (const FakeCom::Request &r : script->requests)
            count += r.frameMode == FrameMode::Vendor && r.command == QLatin1String("P") &&
                     r.address == QLatin1String("0000") && r.data == QLatin1String("0000");
        return count;
    }

    QTemporaryDir dir;
    std::shared_ptr<FakeCom::Script> script = std::make_shared<FakeCom::Script>();
    ScriptedController controller;
    FakeOperator op;
    RecordingMainView view;
    SettingsStore store{QSettings::IniFormat};
    CoreSession core{{op, view, store, dir.path() + QStringLiteral("/Journal")},
                     SessionState(),
                     FakeCom::factory(script)};
    SessionState &shared = core.shared;
    ComLink &link = core.link;
    RequestLayer &request = core.request;
    VendorFrameReads &vendor = core.vendorReads;
    WriteJournal &journal = core.journal;
};

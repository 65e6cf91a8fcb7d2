#include "CoreSession.h"

#include "comm/PortNames.h"
#include "comm/SerialCommComponent.h"
#include "comm/SettingsStore.h"
#include "transfer/TransferJobs.h"

namespace
{
CommComponentFactory orSerialPorts(CommComponentFactory factory, SettingsStore &store,
                                   const SessionState &shared)
{
    if (factory)
        return factory;
    return [&store, &shared] {
        auto com = std::make_unique<SerialCommComponent>(PortNames(store.portMap(shared)));
        com->setNetworkAllowance(store.networkAllowanceMs(shared));
        return com;
    };
}
} // namespace

CoreSession::CoreSession(const Host &host, SessionState initial, CommComponentFactory comFactory)
    : shared(std::move(initial)), link(orSerialPorts(std::move(comFactory), host.store, shared)),
      reporter(shared, link, host.op, host.view), vendorFrame(shared, request, link, host.op),
      vendorReads(shared, request, link, host.op, host.view, vendorFrame),
      itemRead(shared, request, reporter, vendorReads),
      upload(shared, request, link, host.op, host.view, reporter, itemRead),
      onlineStartRead(shared, link, host.op, host.view, itemRead, upload),
      polling(shared, request, link, host.op, host.view, vendorReads, vendorFrame, host.store),
      journal(host.journalFolder, host.journalSource, host.op),
      vendorWrites(shared, request, link, host.op, host.view, vendorFrame),
      singleWrite(shared, request, link, host.op, host.view, itemRead, vendorWrites, journal),
      download(shared, request, link, host.op, host.view, itemRead, vendorWrites, journal),
      commands(shared, host.op, host.view), comparison(shared, host.op, itemRead),
      connection(shared, link, request, host.store, host.op, host.view, vendorFrame)
{
    download.setReadBack([this] { onlineStartRead.readAtOnlineStart(); });
    installTransferJobs(jobs, singleWrite, download, upload);
}

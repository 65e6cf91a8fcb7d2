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
    : shared(std::move(initial)),
      link(orSerialPorts(std::move(comFactory), host.store, shared)), context{shared, link, request,
                                                                              host.op, host.view},
      reporter(context), vendorFrame(context), vendorReads(context, vendorFrame),
      itemRead(context, reporter, vendorReads), upload(context, reporter, itemRead),
      onlineStartRead(context, itemRead, upload),
      polling(context, vendorReads, vendorFrame, host.store),
      journal(host.journalFolder, host.journalSource, host.op), vendorWrites(context, vendorFrame),
      singleWrite(context, itemRead, vendorWrites, journal),
      download(context, itemRead, vendorWrites, journal), commands(context),
      comparison(context, itemRead), connection(context, host.store, vendorFrame)
{
    link.setTrafficLog(&traffic);
    download.setReadBack([this] { onlineStartRead.readAtOnlineStart(); });
    installTransferJobs(jobs, singleWrite, download, upload);
}

#include "CoreSession.h"

#include "comm/PortNames.h"
#include "comm/SerialZN8PCom.h"
#include "comm/SettingsStore.h"
#include "transfer/TransferJobs.h"

namespace
{
ZN8PComFactory orSerialPorts(ZN8PComFactory factory, SettingsStore &store, const ZN8P_INC &inc)
{
    if (factory)
        return factory;
    return
        [&store, &inc] { return std::make_unique<SerialZN8PCom>(PortNames(store.portMap(inc))); };
}
} // namespace

CoreSession::CoreSession(const Host &host, ZN8P_INC initial, ZN8PComFactory comFactory)
    : inc(std::move(initial)), link(orSerialPorts(std::move(comFactory), host.store, inc)),
      reporter(inc, link, host.op, host.view), vendorFrame(inc, request, link, host.op),
      vendorReads(inc, request, link, host.op, host.view, vendorFrame),
      itemRead(inc, request, reporter, vendorReads),
      upload(inc, request, host.op, host.view, reporter, itemRead),
      onlineStartRead(inc, link, host.op, host.view, itemRead, upload),
      polling(inc, request, link, host.op, host.view, vendorReads, vendorFrame, host.store),
      journal(host.journalFolder, host.journalSource, host.op),
      vendorWrites(inc, request, link, host.op, host.view, vendorFrame),
      singleWrite(inc, request, link, host.op, host.view, itemRead, vendorWrites, journal),
      download(inc, request, link, host.op, host.view, itemRead, vendorWrites, journal),
      commands(inc, host.op, host.view), comparison(inc, host.op, itemRead),
      connection(inc, link, request, host.store, host.op, host.view, vendorFrame)
{
    download.setReadBack([this] { onlineStartRead.Setdata_read(); });
    installTransferJobs(jobs, singleWrite, download, upload);
}

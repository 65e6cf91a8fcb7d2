#include "CoreSession.h"

#include "comm/PortNames.h"
#include "comm/SerialZN8PCom.h"
#include "comm/SettingsStore.h"

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
      vendorFrame(inc, request, link, host.op),
      vendorReads(inc, request, link, host.op, host.view, vendorFrame),
      upload(inc, request, link, host.op, host.view, vendorReads),
      onlineStartRead(inc, request, link, host.op, host.view, upload),
      polling(inc, request, link, host.op, host.view, vendorReads, vendorFrame, host.store),
      journal(host.journalFolder, host.journalSource, host.op),
      transfer(inc, request, link, host.op, host.view, vendorFrame, vendorReads, upload,
               onlineStartRead, journal),
      commands(inc, host.op, host.view),
      comparison(inc, request, link, host.op, host.view, vendorReads),
      connection(inc, link, request, host.store, host.op, host.view, vendorFrame)
{
    transfer.install(jobs);
}

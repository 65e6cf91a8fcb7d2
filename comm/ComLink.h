#pragma once

#include "comm/CommComponent.h"

#include <memory>

// Holds the one communication component instance of the run. Each link check asks for a fresh
// instance with renew(); closing the main window releases it.
class ComLink
{
public:
    explicit ComLink(CommComponentFactory factory);
    ~ComLink();
    ComLink(const ComLink &) = delete;
    ComLink &operator=(const ComLink &) = delete;

    // Destroys the current instance (its destructor closes its port) and creates a new one from
    // the factory. When the factory gives none, an inert instance takes its place: it never opens
    // a port and answers every request PortLost.
    CommComponent &renew();
    // The current instance; nullptr before the first renew() and after release().
    CommComponent *com() const { return m_com.get(); }
    // Destroys the current instance.
    void release();

    // Given to the current instance and to every one renew() creates from here on, so that the
    // record of the line's exchanges survives link checks.
    void setTrafficLog(TrafficLog *log);
    // Marks the exchanges from here on as the automatic search's (see CommComponent).
    void setSearchProbes(bool searchProbes);

private:
    CommComponentFactory m_factory;
    std::unique_ptr<CommComponent> m_com;
    TrafficLog *m_traffic = nullptr;
    bool m_searchProbes = false;
};

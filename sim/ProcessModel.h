#pragma once

#include <QtGlobal>

class RegisterBank;

// The controlled process and the controller's loop: a first-order thermal plant heated by MV1 (and
// cooled by MV2 with heating/cooling), a PID loop (ON/OFF when the proportional band is 0) on the
// stored settings, time-proportional outputs, heater currents, alarms, over/underscale and
// auto-tuning. step() advances it and writes the monitor registers and the status word.
class ProcessModel
{
public:
    // Simulated seconds an auto-tuning run takes.
    static constexpr double AutoTuningSeconds = 90.0;
    // Plant: rise above ambient at 100 % output, in degrees, and its time constant in seconds.
    static constexpr double PlantGainDegrees = 400.0;
    static constexpr double PlantTimeConstant = 240.0;
    static constexpr double AmbientDegrees = 20.0;
    // The dead time auto-tuning assumes when it computes the PID values, in seconds.
    static constexpr double TuningDeadTime = 10.0;
    // Heater current while the output is on, in tenths of an ampere.
    static constexpr int HeaterCurrentTenths = 85;

    explicit ProcessModel(RegisterBank &bank);

    // Advances the process by seconds of simulated time and refreshes the monitor registers.
    void step(double seconds);

    // Auto-tuning was switched on or off through register 0003.
    void startAutoTuning();
    void stopAutoTuning();
    bool autoTuning() const { return m_autoTuningLeft > 0; }

    // Settings changed on the front panel: status bit 0x8000 until the setting flag is written.
    void markPanelChange() { m_panelChanged = true; }
    void clearPanelChange() { m_panelChanged = false; }
    // The sensor wire is cut: the input reads overscale.
    void setSensorBroken(bool broken) { m_sensorBroken = broken; }
    // The heater is burnt out: no heater current.
    void setHeaterBroken(bool broken) { m_heaterBroken = broken; }
    // The plant's temperature in degrees (whatever the input's resolution).
    void setTemperature(double degrees) { m_temperature = degrees; }
    // A new set value restarts the standby of standby alarms.
    void rearmStandby(int alarm);

private:
    void integrate(double seconds, double mv1, double mv2);
    // Control output in percent, -100 to 100 (negative: cooling), for the PV in raw units.
    double controlOutput(double pv, double sv, double seconds);
    void updateSetValue(double seconds);
    quint16 alarmBits(double pv, double seconds);
    bool alarmCondition(int type, double pv, double sv, double value, double hysteresis,
                        bool active) const;
    void finishAutoTuning();
    // Raw units per degree of the input (10 for tenth types); DC inputs scale the plant to the
    // scaling span.
    double rawPerDegree() const;
    double rawPv() const;

    RegisterBank &m_bank;
    double m_temperature = AmbientDegrees;
    double m_integral = 0;
    double m_lastError = 0;
    double m_derivative = 0;
    bool m_haveLastError = false;
    bool m_onOffState = false;
    double m_svInUse = 0;
    bool m_svStarted = false;
    double m_cycleTime = 0;
    double m_autoTuningLeft = 0;
    bool m_panelChanged = false;
    bool m_sensorBroken = false;
    bool m_heaterBroken = false;
    bool m_alarmActive[2] = {false, false};
    bool m_standbyArmed[2] = {false, false};
    double m_alarmPending[2] = {0, 0};
};

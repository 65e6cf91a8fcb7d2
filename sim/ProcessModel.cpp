#include "sim/ProcessModel.h"

#include "comm/ControllerCodes.h"
#include "sim/RegisterBank.h"

#include <algorithm>
#include <cmath>

namespace
{

using R = RegisterBank;

constexpr quint16 Out1Bit = 0x0001;
constexpr quint16 Out2Bit = 0x0002;
constexpr quint16 Alarm1Bit = 0x0004;
constexpr quint16 Alarm2Bit = 0x0008;
constexpr quint16 OverscaleBit = 0x0100;
constexpr quint16 UnderscaleBit = 0x0200;
constexpr quint16 OutputOffBit = 0x0400;
constexpr quint16 AutoTuningBit = 0x0800;
constexpr quint16 AutoManualKeyBit = 0x1000;
constexpr quint16 ManualBit = 0x4000;
constexpr quint16 PanelChangeBit = 0x8000;

// Longest integration step, in simulated seconds, so that a large time scale stays stable.
constexpr double MaxStep = 0.5;

// A setting in tenths of a degree (hystereses) in PV units.
double tenthsToRaw(const RegisterBank &bank, int tenths)
{
    const int input = bank.value(R::InputType);
    return R::isTenthType(input) || R::isDcType(input) ? tenths : tenths / 10.0;
}

} // namespace

ProcessModel::ProcessModel(RegisterBank &bank) : m_bank(bank) {}

double ProcessModel::rawPerDegree() const
{
    const int input = m_bank.value(R::InputType);
    if (R::isDcType(input))
        return (m_bank.value(R::ScalingHigh) - m_bank.value(R::ScalingLow)) / PlantGainDegrees;
    const double perDegree = input >= 15 ? 1.8 : 1.0;
    return R::isTenthType(input) ? perDegree * 10 : perDegree;
}

double ProcessModel::rawPv() const
{
    const int input = m_bank.value(R::InputType);
    double raw = 0;
    if (R::isDcType(input))
        raw = m_bank.value(R::ScalingLow) + (m_temperature - AmbientDegrees) * rawPerDegree();
    else if (input >= 15)
        raw = (m_temperature * 1.8 + 32) * (R::isTenthType(input) ? 10 : 1);
    else
        raw = m_temperature * rawPerDegree();
    // The correction is set in tenths of a degree for the sensor inputs.
    const double correction = m_bank.value(R::SensorCorrection);
    const bool tenths = R::isTenthType(input) || R::isDcType(input);
    return raw + (tenths ? correction : correction / 10.0);
}

void ProcessModel::startAutoTuning()
{
    m_autoTuningLeft = AutoTuningSeconds;
}

void ProcessModel::stopAutoTuning()
{
    m_autoTuningLeft = 0;
}

void ProcessModel::rearmStandby(int alarm)
{
    if (alarm == 0 || alarm == 1)
        m_standbyArmed[alarm] = true;
}

void ProcessModel::updateSetValue(double seconds)
{
    const double target = m_bank.selectedSetValue();
    if (!m_svStarted) {
        m_svInUse = target;
        m_svStarted = true;
        return;
    }
    // Rates are raw PV units per minute; 0 switches the ramp off.
    const double rate = target > m_svInUse ? m_bank.value(R::RiseRate) : m_bank.value(R::FallRate);
    if (rate <= 0) {
        m_svInUse = target;
        return;
    }
    const double stepSize = rate * seconds / 60.0;
    if (std::abs(target - m_svInUse) <= stepSize)
        m_svInUse = target;
    else
        m_svInUse += target > m_svInUse ? stepSize : -stepSize;
}

double ProcessModel::controlOutput(double pv, double sv, double seconds)
{
    const double high = m_bank.value(R::OutputHigh);
    const double low = m_bank.value(R::OutputLow);
    const bool direct = m_bank.value(R::DirectAction) != 0;
    const double error = direct ? pv - sv : sv - pv;

    if (autoTuning()) {
        // A relay cycle around the set value minus the AT bias, watching the swing it produces.
        const double bias = m_bank.value(R::AtBias); // in PV units
        const double tuningSv = direct ? sv + bias : sv - bias;
        const double tuningError = direct ? pv - tuningSv : tuningSv - pv;
        if (tuningError > 0)
            m_onOffState = true;
        else if (tuningError < 0)
            m_onOffState = false;
        return m_onOffState ? high : low;
    }

    const double band = m_bank.value(R::ProportionalBand);
    if (band <= 0) {
        const double hysteresis = tenthsToRaw(m_bank, m_bank.value(R::OnOffHysteresis));
        if (error >= hysteresis)
            m_onOffState = true;
        else if (error <= 0)
            m_onOffState = false;
        return m_onOffState ? high : low;
    }

    const int input = m_bank.value(R::InputType);
    // A DC input's band is in tenths of a percent of the scaling span.
    const double bandRaw =
        R::isDcType(input)
            ? band / 1000.0 * (m_bank.value(R::ScalingHigh) - m_bank.value(R::ScalingLow))
            : band;
    const double gain = 100.0 / std::max(bandRaw, 1e-6);
    const double integralTime = m_bank.value(R::IntegralTime);
    const double derivativeTime = m_bank.value(R::DerivativeTime);
    const double windup = m_bank.value(0x0048);
    // The derivative acts through a first-order filter of a tenth of the derivative time, as a
    // real controller's does; unfiltered it would chatter at the step rate.
    if (derivativeTime <= 0) {
        m_derivative = 0;
    } else if (m_haveLastError && seconds > 0) {
        const double raw = gain * derivativeTime * (error - m_lastError) / seconds;
        m_derivative += (raw - m_derivative) * seconds / (seconds + derivativeTime / 10);
    }
    const double derivative = m_derivative;
    m_lastError = error;
    m_haveLastError = true;
    const double min = m_bank.model().heatCool ? -100.0 : low;
    if (integralTime <= 0) {
        m_integral = 0;
    } else if (seconds > 0) {
        // Anti-reset windup: the integral grows only while the output is not driven against its
        // limit, and never beyond the anti-reset windup setting.
        const double unclamped = gain * error + m_integral + derivative;
        const bool pushingHigh = unclamped >= high && error > 0;
        const bool pushingLow = unclamped <= min && error < 0;
        if (!pushingHigh && !pushingLow)
            m_integral =
                std::clamp(m_integral + gain * error * seconds / integralTime, -windup, windup);
    }
    return std::clamp(gain * error + m_integral + derivative, min, high);
}

void ProcessModel::integrate(double seconds, double mv1, double mv2)
{
    const double heating = m_heaterBroken ? 0.0 : mv1;
    const double steady = AmbientDegrees + PlantGainDegrees * (heating - 0.5 * mv2) / 100.0;
    m_temperature += (steady - m_temperature) * (1.0 - std::exp(-seconds / PlantTimeConstant));
}

bool ProcessModel::alarmCondition(int type, double pv, double sv, double value, double hysteresis,
                                  bool active) const
{
    // While active the alarm holds until PV is back by the hysteresis.
    const double h = active ? hysteresis : 0.0;
    switch (type) {
    case 1:
    case 7:
        return pv >= sv + value - h;
    case 2:
    case 8:
        return pv <= sv - value + h;
    case 3:
    case 9:
        return std::abs(pv - sv) >= value - h;
    case 4:
        return std::abs(pv - sv) <= value + h;
    case 5:
        return pv >= value - h;
    case 6:
        return pv <= value + h;
    default:
        return false;
    }
}

quint16 ProcessModel::alarmBits(double pv, double seconds)
{
    quint16 bits = 0;
    const quint16 typeRegisters[2] = {R::Alarm1Type, R::Alarm2Type};
    const quint16 valueRegisters[2] = {R::Alarm1Value, R::Alarm2Value};
    const quint16 hysteresisRegisters[2] = {R::Alarm1Hysteresis, R::Alarm2Hysteresis};
    const quint16 delayRegisters[2] = {R::Alarm1Delay, R::Alarm2Delay};
    for (int i = 0; i < 2; ++i) {
        if (i == 1 && !m_bank.model().alarm2)
            continue;
        const int type = m_bank.value(typeRegisters[i]);
        const bool condition = alarmCondition(
            type, pv, m_svInUse, m_bank.value(valueRegisters[i]),
            tenthsToRaw(m_bank, m_bank.value(hysteresisRegisters[i])), m_alarmActive[i]);
        // Standby types stay quiet until the condition has first been clear.
        if (type < 7)
            m_standbyArmed[i] = false;
        else if (!condition)
            m_standbyArmed[i] = false;
        const bool raised = condition && !m_standbyArmed[i];
        m_alarmPending[i] = raised ? m_alarmPending[i] + seconds : 0;
        m_alarmActive[i] = raised && m_alarmPending[i] >= m_bank.value(delayRegisters[i]);
        if (m_alarmActive[i])
            bits |= i == 0 ? Alarm1Bit : Alarm2Bit;
    }
    return bits;
}

void ProcessModel::finishAutoTuning()
{
    // The step-response rule for the plant with the dead time a real furnace shows: band
    // 100 / (1.2 tau / (K L)), integral 2 L, derivative L / 2 (K in PV units per percent).
    const double plantGain = PlantGainDegrees * rawPerDegree() / 100.0;
    const double proportionalGain = 1.2 * PlantTimeConstant / (plantGain * TuningDeadTime);
    const auto bandLimits = m_bank.limits(R::ProportionalBand).value_or(std::pair{0, 1000});
    const int band =
        std::clamp(int(std::lround(100.0 / proportionalGain)), 1, std::max(1, bandLimits.second));
    m_bank.set(R::ProportionalBand, qint16(band));
    m_bank.set(R::IntegralTime, qint16(std::lround(2 * TuningDeadTime)));
    m_bank.set(R::DerivativeTime, qint16(std::lround(TuningDeadTime / 2)));
    m_bank.set(R::AutoTuning, 0);
    m_autoTuningLeft = 0;
    m_integral = 0;
    m_derivative = 0;
    m_haveLastError = false;
}

void ProcessModel::step(double seconds)
{
    const bool autoManualKey = m_bank.item(R::ItemOutOffKeyFunction) == 1;
    const bool manual = autoManualKey && m_bank.value(R::AutoManual) == 1;
    const bool outputOff = !autoManualKey && m_bank.value(R::OutOff) == 1;
    const auto [rangeLow, rangeHigh] = R::inputRange(m_bank.value(R::InputType));
    const bool dc = R::isDcType(m_bank.value(R::InputType));
    const double span = m_bank.value(R::ScalingHigh) - m_bank.value(R::ScalingLow);
    const double overAt = dc ? m_bank.value(R::ScalingHigh) + span / 10 : rangeHigh;
    const double underAt = dc ? m_bank.value(R::ScalingLow) - span / 10 : rangeLow;

    const int steps = seconds > 0 ? int(std::ceil(seconds / MaxStep)) : 1;
    const double dt = seconds > 0 ? seconds / steps : 0.0;
    double mv1 = 0, mv2 = 0, pv = rawPv();
    bool out1 = false, out2 = false;
    quint16 alarms = 0;
    for (int i = 0; i < steps; ++i) {
        updateSetValue(dt);
        pv = m_sensorBroken ? overAt + 1 : rawPv();
        const bool scaleError = pv > overAt || pv < underAt;
        double output = 0;
        if (scaleError) {
            output = m_bank.item(R::ItemAbnormalOutput) == 1 ? m_bank.value(R::OutputHigh) : 0;
        } else if (manual) {
            output = m_bank.value(R::ManualOutput) / 10.0;
        } else if (!outputOff) {
            output = controlOutput(pv, m_svInUse, dt);
        }
        mv1 = std::max(output, 0.0);
        mv2 = 0;
        if (m_bank.model().heatCool && output < 0) {
            const double coolingBand = m_bank.value(R::CoolingBand) / 10.0;
            const double cooling = coolingBand > 0 ? -output / coolingBand : 100.0;
            mv2 = std::clamp(cooling, double(m_bank.value(R::CoolingLow)),
                             double(m_bank.value(R::CoolingHigh)));
        }
        if (outputOff)
            mv1 = mv2 = 0;
        m_cycleTime += dt;
        const auto timeProportional = [&](double mv, quint16 cycleRegister) {
            if (m_bank.model().outputType == OutputType::Current)
                return mv > 0;
            const double cycle = std::max<int>(1, m_bank.value(cycleRegister));
            return std::fmod(m_cycleTime, cycle) < cycle * mv / 100.0;
        };
        out1 = timeProportional(mv1, R::ProportionalCycle);
        out2 = m_bank.model().heatCool && timeProportional(mv2, R::CoolingCycle);
        integrate(dt, mv1, mv2);
        alarms = alarmBits(pv, dt);
        if (autoTuning() && dt > 0) {
            m_autoTuningLeft -= dt;
            if (m_autoTuningLeft <= 0)
                finishAutoTuning();
        }
    }

    quint16 status = alarms;
    if (out1)
        status |= Out1Bit;
    if (out2)
        status |= Out2Bit;
    if (pv > overAt)
        status |= OverscaleBit;
    else if (pv < underAt)
        status |= UnderscaleBit;
    if (outputOff)
        status |= OutputOffBit;
    if (autoTuning())
        status |= AutoTuningBit;
    if (autoManualKey)
        status |= AutoManualKeyBit;
    if (manual)
        status |= ManualBit;
    if (m_panelChanged)
        status |= PanelChangeBit;

    const ModelOptions &model = m_bank.model();
    const int current = out1 && !m_heaterBroken ? HeaterCurrentTenths : 0;
    // The alarm needs the output on: only then is a missing current a broken heater. A setting of
    // 0 switches it off; the second phase has its own setting on three-phase models.
    const auto broken = [&](quint16 settingRegister) {
        const int setting = m_bank.value(settingRegister);
        return setting > 0 && current < setting;
    };
    if (model.heaterBreak > 0 && out1 &&
        (broken(R::HeaterBreak1) || (model.heaterBreakThreePhase() && broken(R::HeaterBreak2))))
        status |= StatusBit::HeaterBurnout;
    m_bank.set(R::Pv, qint16(std::lround(std::clamp(pv, -32768.0, 32767.0))));
    m_bank.set(R::Mv1, qint16(std::lround(mv1 * 10)));
    m_bank.set(R::Mv2, qint16(std::lround(mv2 * 10)));
    m_bank.set(R::SvInUse, qint16(std::lround(m_svInUse)));
    m_bank.set(R::StatusWord, qint16(status));
    m_bank.set(R::HeaterCurrent1, qint16(model.heaterBreak > 0 ? current : 0));
    m_bank.set(R::HeaterCurrent2, qint16(model.heaterBreakThreePhase() ? current : 0));
}

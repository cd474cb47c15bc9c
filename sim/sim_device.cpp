#include "sim_device.h"

#include <algorithm>

CSimDevice::CSimDevice(const SSimDeviceConfig& config) : m_config(config)
{
    SSimRadioSettings radio;
    radio.guardMs = config.guardMs;
    radio.linkUp = config.linkUp;
    radio.baseRole = config.receiver != "rover";
    radio.refuse = config.refuse;
    radio.commandIdleMs = config.commandIdleMs;
    m_radio = MakeSimRadio(config.radio, radio);
    if (config.receiver == "base" || config.receiver == "rover") {
        SSimReceiverConfig receiver;
        receiver.rover = config.receiver == "rover";
        receiver.externalPower = config.externalPower;
        receiver.ignoreSetting = config.ignoreSetting;
        receiver.marks = config.marks;
        receiver.reference = config.reference;
        receiver.ggaFromStart = config.nmea != "off";
        receiver.allFromStart = config.nmea == "on";
        receiver.noiseM = config.noiseM;
        receiver.offsetM = config.offsetM;
        receiver.fixQuality = config.fixQuality;
        receiver.damageEvery = config.nmeaDamageEvery;
        receiver.nmeaIntervalMs = config.nmeaIntervalMs;
        m_receiver = std::make_unique<CSimReceiver>(receiver, m_radio.get());
    }
}

std::string CSimDevice::Receive(std::string_view bytes, long long nowMs)
{
    std::string out;
    if (RadioDirect())
        out = m_radio ? m_radio->Receive(bytes, nowMs) : std::string();
    else
        out = m_receiver->Receive(bytes, nowMs);
    return m_config.silent ? std::string() : Emit(std::move(out), nowMs);
}

std::string CSimDevice::Tick(long long nowMs)
{
    std::string out;
    if (RadioDirect())
        out = m_radio ? m_radio->Tick(nowMs) : std::string();
    else
        out = m_receiver->Tick(nowMs);
    return m_config.silent ? std::string() : Emit(std::move(out), nowMs);
}

long long CSimDevice::NextEventMs(long long nowMs) const
{
    long long next = -1;
    if (RadioDirect())
        next = m_radio ? m_radio->NextEventMs() : -1;
    else
        next = m_receiver->NextEventMs(nowMs);
    if (!m_unsent.empty() && (next < 0 || m_nextPieceMs < next))
        next = m_nextPieceMs;
    return next;
}

std::string CSimDevice::Emit(std::string out, long long nowMs)
{
    if (m_config.replyPieceBytes <= 0)
        return out;
    m_unsent += out;
    if (m_unsent.empty() || nowMs < m_nextPieceMs)
        return {};
    const auto n = std::min(m_unsent.size(), static_cast<std::size_t>(m_config.replyPieceBytes));
    std::string piece = m_unsent.substr(0, n);
    m_unsent.erase(0, n);
    m_nextPieceMs = nowMs + m_config.replyPieceGapMs;
    return piece;
}

#include "sim_device.h"

CSimDevice::CSimDevice(const SSimDeviceConfig& config) : m_config(config)
{
    SSimRadioSettings radio;
    radio.guardMs = config.guardMs;
    radio.linkUp = config.linkUp;
    radio.baseRole = config.receiver != "rover";
    m_radio = MakeSimRadio(config.radio, radio);
    if (config.receiver == "base" || config.receiver == "rover") {
        SSimReceiverConfig receiver;
        receiver.rover = config.receiver == "rover";
        receiver.externalPower = config.externalPower;
        receiver.marks = config.marks;
        receiver.reference = config.reference;
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
    return m_config.silent ? std::string() : out;
}

std::string CSimDevice::Tick(long long nowMs)
{
    std::string out;
    if (RadioDirect())
        out = m_radio ? m_radio->Tick(nowMs) : std::string();
    else
        out = m_receiver->Tick(nowMs);
    return m_config.silent ? std::string() : out;
}

long long CSimDevice::NextEventMs(long long nowMs) const
{
    if (RadioDirect())
        return m_radio ? m_radio->NextEventMs() : -1;
    return m_receiver->NextEventMs(nowMs);
}

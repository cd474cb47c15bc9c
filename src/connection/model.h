#pragma once

#include <string>

class CLanguageModule;

// Connection mode codes: what the operator asked for and what the wizard found.
namespace ModeCodes {
constexpr int Idle = 0;
constexpr int SatelBase = 114;
constexpr int SatelRover = 115;
constexpr int MicrohardRover = 117;
constexpr int MicrohardBase = 119;
constexpr int MaxstreamRover = 120;
constexpr int MaxstreamBase = 122;
constexpr int RadioConfiguration = 123;
constexpr int BaseConfiguration = 124;
constexpr int DirectRover = 125;
constexpr int DirectBase = 126;
}  // namespace ModeCodes

namespace ReceiverKinds {
constexpr int Base = 112;
constexpr int Rover = 113;
constexpr int Unknown = 127;
}  // namespace ReceiverKinds

// WriteDefaultsFlags bits.
namespace WriteDefaults {
constexpr int OptionGiven = 1;   // "def" or "dir" on the command line
constexpr int BoxTicked = 2;     // "Write defaults" ticked at Connect
}  // namespace WriteDefaults

// The one record of what is connected and how. It does no I/O of its own.
class CModel {
public:
    CModel() = default;
    virtual ~CModel() = default;

    double GetRadioFrequency() const { return m_RadioFrequency; }
    void SetRadioFrequency(double v) { m_RadioFrequency = v; }
    int GetRadioPower() const { return m_RadioPower; }
    void SetRadioPower(int v) { m_RadioPower = v; }
    int GetModeCode() const { return m_ModeCode; }
    void SetModeCode(int v) { m_ModeCode = v; }
    int GetBaudRate() const { return m_BaudRate; }
    void SetBaudRate(int v) { m_BaudRate = v; }
    int GetPortNumber() const { return m_PortNumber; }
    void SetPortNumber(int v) { m_PortNumber = v; }
    int GetReceiverKind() const { return m_ReceiverKind; }
    void SetReceiverKind(int v) { m_ReceiverKind = v; }
    int GetRadio2BValue() const { return m_Radio2BValue; }
    void SetRadio2BValue(int v) { m_Radio2BValue = v; }
    int GetPresetPort() const { return m_PresetPort; }
    void SetPresetPort(int v) { m_PresetPort = v; }
    int GetDirectConnectEnabled() const { return m_DirectConnectEnabled; }
    void SetDirectConnectEnabled(int v) { m_DirectConnectEnabled = v; }
    int GetWriteDefaultsFlags() const { return m_WriteDefaultsFlags; }
    void SetWriteDefaultsFlags(int v) { m_WriteDefaultsFlags = v; }
    std::string GetBaseFirmwareVersion() const { return m_BaseFirmwareVersion; }
    void SetBaseFirmwareVersion(const std::string& v) { m_BaseFirmwareVersion = v; }
    std::string GetBaseBootloaderVersion() const { return m_BaseBootloaderVersion; }
    void SetBaseBootloaderVersion(const std::string& v) { m_BaseBootloaderVersion = v; }
    std::string GetGpsEngineVersion() const { return m_GpsEngineVersion; }
    void SetGpsEngineVersion(const std::string& v) { m_GpsEngineVersion = v; }
    std::string GetGpsSubscription() const { return m_GpsSubscription; }
    void SetGpsSubscription(const std::string& v) { m_GpsSubscription = v; }
    CLanguageModule* GetLanguageModule() const { return m_LanguageModule; }
    void SetLanguageModule(CLanguageModule* v) { m_LanguageModule = v; }

private:
    double m_RadioFrequency = 0.0;
    int m_RadioPower = 1000;
    int m_ModeCode = ModeCodes::Idle;
    // The next four have no meaningful default; every reader's path sets them first.
    int m_BaudRate = 19200;
    int m_PortNumber = 0;
    int m_ReceiverKind = ReceiverKinds::Unknown;
    int m_Radio2BValue = 0;
    int m_PresetPort = -1;
    int m_DirectConnectEnabled = 0;
    int m_WriteDefaultsFlags = 0;
    std::string m_BaseFirmwareVersion = "N/A";
    std::string m_BaseBootloaderVersion = "N/A";
    std::string m_GpsEngineVersion = "N/A";
    std::string m_GpsSubscription = "None";
    CLanguageModule* m_LanguageModule = nullptr;  // owned by the application
};

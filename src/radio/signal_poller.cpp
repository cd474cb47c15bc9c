#include "radio/signal_poller.h"

namespace {

// Forwards to the borrowed link; a stop is requested when the thread's token says so.
class CStoppableLink : public CRadioLink {
public:
    CStoppableLink(CRadioLink& inner, std::stop_token token) : m_inner(inner), m_token(std::move(token)) {}
    void WriteLine(std::string_view text) override { m_inner.WriteLine(text); }
    void Write(std::string_view bytes) override { m_inner.Write(bytes); }
    std::string Read(std::size_t maximum) override { return m_inner.Read(maximum); }
    void Purge() override { m_inner.Purge(); }
    void Pause(int milliseconds) override { m_inner.Pause(milliseconds); }
    Clock::time_point Now() const override { return m_inner.Now(); }
    bool StopRequested() const override { return m_token.stop_requested() || m_inner.StopRequested(); }

private:
    CRadioLink& m_inner;
    std::stop_token m_token;
};

}  // namespace

CSignalPoller::~CSignalPoller()
{
    Stop();
}

void CSignalPoller::Start(CRadioLink& link, Cycle cycle, std::string returnCommand, int startLevel)
{
    Stop();
    m_state.SignalLevel = startLevel;
    m_state.StopState = SPollState::Running;
    m_thread = std::jthread([this, &link, cycle = std::move(cycle),
                             returnCommand = std::move(returnCommand)](std::stop_token token) {
        CStoppableLink own(link, token);
        while (!own.StopRequested())
            cycle(own, m_state.SignalLevel);
        own.WriteLine(returnCommand);
        m_state.StopState = SPollState::Finished;
    });
}

void CSignalPoller::RequestStop()
{
    if (!m_thread.joinable())
        return;
    int running = SPollState::Running;
    m_state.StopState.compare_exchange_strong(running, SPollState::StopRequestedState);
    m_thread.request_stop();
}

bool CSignalPoller::Finished() const
{
    return !m_thread.joinable() || m_state.StopState.load() == SPollState::Finished;
}

void CSignalPoller::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CSignalPoller::Stop()
{
    RequestStop();
    Join();
}

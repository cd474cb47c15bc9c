#include "radio/signal_poller.h"

#include <chrono>

namespace {

// Forwards to the link; a stop is requested when the thread's token says so. Once the thread is
// abandoned nothing reaches the link any more and pauses end at once.
class CStoppableLink : public CRadioLink {
public:
    CStoppableLink(CRadioLink& inner, std::stop_token token, const std::atomic<bool>& abandoned)
        : m_inner(inner), m_token(std::move(token)), m_abandoned(abandoned)
    {
    }
    void WriteLine(std::string_view text) override
    {
        if (!m_abandoned)
            m_inner.WriteLine(text);
    }
    void Write(std::string_view bytes) override
    {
        if (!m_abandoned)
            m_inner.Write(bytes);
    }
    std::string Read(std::size_t maximum) override { return m_abandoned ? std::string() : m_inner.Read(maximum); }
    void Purge() override
    {
        if (!m_abandoned)
            m_inner.Purge();
    }
    void Pause(int milliseconds) override
    {
        if (!m_abandoned)
            m_inner.Pause(milliseconds);
    }
    Clock::time_point Now() const override { return m_inner.Now(); }
    bool StopRequested() const override
    {
        return m_abandoned || m_token.stop_requested() || m_inner.StopRequested();
    }

private:
    CRadioLink& m_inner;
    std::stop_token m_token;
    const std::atomic<bool>& m_abandoned;
};

}  // namespace

CSignalPoller::~CSignalPoller()
{
    Stop();
}

void CSignalPoller::Start(std::shared_ptr<CRadioLink> link, Cycle cycle, std::string returnCommand, int startLevel)
{
    Stop();
    m_shared->State.SignalLevel = startLevel;
    m_shared->State.StopState = SPollState::Running;
    // The thread holds its own references: a detached one outlives this poller.
    m_thread = std::jthread([shared = m_shared, link = std::move(link), cycle = std::move(cycle),
                             returnCommand = std::move(returnCommand)](std::stop_token token) {
        CStoppableLink own(*link, token, shared->Abandoned);
        while (!own.StopRequested())
            cycle(own, shared->State.SignalLevel);
        own.WriteLine(returnCommand);
        shared->State.StopState = SPollState::Finished;
    });
}

void CSignalPoller::Start(CRadioLink& link, Cycle cycle, std::string returnCommand, int startLevel)
{
    Start(std::shared_ptr<CRadioLink>(&link, [](CRadioLink*) {}), std::move(cycle), std::move(returnCommand),
          startLevel);
}

void CSignalPoller::RequestStop()
{
    if (!m_thread.joinable())
        return;
    int running = SPollState::Running;
    m_shared->State.StopState.compare_exchange_strong(running, SPollState::StopRequestedState);
    m_thread.request_stop();
}

bool CSignalPoller::Finished() const
{
    return !m_thread.joinable() || m_shared->State.StopState.load() == SPollState::Finished;
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

bool CSignalPoller::StopWithin(int limitMs, const Wait& wait, int stepMs)
{
    RequestStop();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!Finished() && std::chrono::steady_clock::now() < deadline)
        wait(stepMs);
    if (Finished()) {
        Join();
        return true;
    }
    Abandon();
    return false;
}

void CSignalPoller::Abandon()
{
    m_shared->Abandoned = true;
    m_thread.detach();
    // The detached thread keeps the old state; a later Start gets a fresh one.
    const int level = m_shared->State.SignalLevel.load();
    m_shared = std::make_shared<SShared>();
    m_shared->State.SignalLevel = level;
    m_shared->State.StopState = SPollState::Finished;
}

#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "marks/mark.h"

class CMarkList;

// Replaces the base's marks with the list's, one sentence per step: "$KBASE,CLEARMARKS", then one
// "$KBASE,ADDMARK" per mark in list order, then a last step that ends the run. The base configuration
// dialog drives it from the progress box's timer and pauses its own polling between the first step
// and the last (IsRunning tells which). No acknowledgement is awaited.
//
// The writer walks the list with its shared cursor, so nothing else may walk it during a run; the
// dialog's timer, the only other walker, is stopped meanwhile.
class CMarkWriter {
public:
    // Receives each sentence to send (without CR LF; the port's WriteLine adds it).
    using Sink = std::function<void(const std::string& sentence)>;

    CMarkWriter(CMarkList& marks, Sink send) : m_Marks(marks), m_Send(std::move(send)) {}

    // One step; true while writing goes on, false when this step ended the run (the writer is then
    // idle again and the next Step starts a new run).
    bool Step();
    // Abandons a run that was cut short; the next Step starts afresh with "$KBASE,CLEARMARKS".
    void Reset();

    bool IsRunning() const { return m_Started; }
    // Progress of the current run: marks sent out of the marks the list held when it started.
    std::size_t Sent() const { return m_Sent; }
    std::size_t Total() const { return m_Total; }
    // 0 to 100; 100 once every mark was sent.
    int Percent() const;

private:
    CMarkList& m_Marks;
    Sink m_Send;
    bool m_Started = false;
    bool m_HaveMark = false;
    CMark m_Next;
    std::size_t m_Sent = 0;
    std::size_t m_Total = 0;
};

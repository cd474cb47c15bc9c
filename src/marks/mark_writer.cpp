#include "marks/mark_writer.h"

#include "base/base_commands.h"
#include "marks/mark_list.h"

bool CMarkWriter::Step()
{
    if (!m_Started) {
        m_Started = true;
        m_Sent = 0;
        m_Total = m_Marks.Size();
        if (m_Send)
            m_Send(std::string(BaseCommands::ClearMarks));
        m_HaveMark = m_Marks.GetFirstCopy(m_Next);
        return true;
    }
    if (m_HaveMark) {
        if (m_Send)
            m_Send(BaseCommands::AddMark(m_Next.GetLatitude(), m_Next.GetLongitude(), m_Next.GetAltitude()));
        ++m_Sent;
        m_HaveMark = m_Marks.GetNextCopy(m_Next);
        return true;
    }
    m_Started = false;
    return false;
}

void CMarkWriter::Reset()
{
    m_Started = false;
    m_HaveMark = false;
    m_Next = CMark();
    m_Sent = 0;
    m_Total = 0;
}

int CMarkWriter::Percent() const
{
    if (m_Total == 0)
        return m_Started ? 0 : 100;
    if (m_Sent >= m_Total)
        return 100;
    return static_cast<int>(m_Sent * 100 / m_Total);
}

#pragma once

#include <cstdio>
#include <string>
#include <utility>

// A call target taking one received text; the splitter and the dialogs know only this base.
class cCallback
{
public:
    virtual ~cCallback() = default;
    virtual void operator()(std::string text) = 0;
};

// Binds an object and one of its member functions taking a text. Owns neither.
template <class T>
class TCallback : public cCallback
{
public:
    using Member = void (T::*)(std::string);

    TCallback(T* object = nullptr, Member member = nullptr) : m_object(object), m_member(member) {}

    void SetObject(T* object) { m_object = object; }
    void SetMember(Member member) { m_member = member; }
    void SetCallback(T* object, Member member)
    {
        m_object = object;
        m_member = member;
    }
    T* GetObject() const { return m_object; }
    Member GetMember() const { return m_member; }

    void operator()(std::string text) override
    {
        if (m_member && m_object) {
            (m_object->*m_member)(std::move(text));
            return;
        }
        // An unbound callback loses the text but must not stop reception.
        std::fputs("ERROR : the callback function has not been defined !!!!", stdout);
        std::fflush(stdout);
    }

private:
    T* m_object;
    Member m_member;
};

// A call target without arguments.
class bCallback
{
public:
    virtual ~bCallback() = default;
    virtual void operator()() = 0;
};

// Binds an object and one of its member functions without arguments. Owns neither.
template <class T>
class BCallback : public bCallback
{
public:
    using Member = void (T::*)();

    BCallback(T* object = nullptr, Member member = nullptr) : m_object(object), m_member(member) {}

    void SetObject(T* object) { m_object = object; }
    void SetMember(Member member) { m_member = member; }
    void SetCallback(T* object, Member member)
    {
        m_object = object;
        m_member = member;
    }
    T* GetObject() const { return m_object; }
    Member GetMember() const { return m_member; }

    // An unbound callback does nothing rather than call through a null pointer.
    void operator()() override
    {
        if (m_member && m_object)
            (m_object->*m_member)();
    }

private:
    T* m_object;
    Member m_member;
};

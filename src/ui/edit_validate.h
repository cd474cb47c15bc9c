#pragma once

#include <string>

// Checks the text of a filtered edit when the focus leaves it. The validator may rewrite the text
// (it is written back into the edit) and returns a message to show, or an empty text when valid.
class CEditValidate
{
public:
    virtual ~CEditValidate() = default;

    virtual std::string Validate(std::string& text)
    {
        (void)text;
        return {};
    }
};

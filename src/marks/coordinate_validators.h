#pragma once

// The validators of the coordinate entry: one class per coordinate form and field. Each first puts
// a "0" in front of a one-character text (7 becomes 07), then tests the value against its bounds.

#include "ui/edit_validate.h"

#include <string>

// The shared first step of every coordinate validator.
void PadSingleChar(std::string& text);

// Latitude degrees (D/M/S): -90..90 by the integer prefix.
class CStdCoordLatValidate : public CEditValidate
{
public:
    std::string Validate(std::string& text) override;
};

// Latitude minutes: 0..59 by the integer prefix.
class CStdCoordLat2Validate : public CEditValidate
{
public:
    std::string Validate(std::string& text) override;
};

// Latitude seconds: from 0 up to, not including, 60.
class CStdCoordLat3Validate : public CEditValidate
{
public:
    std::string Validate(std::string& text) override;
};

// Longitude degrees (D/M/S): -180..360 by the integer prefix. 181..360 are left as typed; the
// conversion to decimal takes the whole D/M/S value west (DmsToDecimal).
class CStdCoordLonValidate : public CEditValidate
{
public:
    std::string Validate(std::string& text) override;
};

// Longitude minutes: 0..59 by the integer prefix.
class CStdCoordLon2Validate : public CEditValidate
{
public:
    std::string Validate(std::string& text) override;
};

// Longitude seconds: from 0 up to, not including, 60.
class CStdCoordLon3Validate : public CEditValidate
{
public:
    std::string Validate(std::string& text) override;
};

// Altitude (either group): -2000..5000 by the decimal value.
class CDecimalAltValidate : public CEditValidate
{
public:
    std::string Validate(std::string& text) override;
};

// Decimal latitude: -90..90 by the decimal value.
class CDecimalLatValidate : public CEditValidate
{
public:
    std::string Validate(std::string& text) override;
};

// Decimal longitude: -180..180 by the decimal value.
class CDecimalLonValidate : public CEditValidate
{
public:
    std::string Validate(std::string& text) override;
};

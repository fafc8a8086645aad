#include "level_codes.h"

int level_to_db(unsigned code)
{
    if (code <= 15)
        return static_cast<int>(code);
    if (code <= 95)
        return 16 - static_cast<int>(code);
    return -79;
}

int db_to_level(int db)
{
    if (db >= 0 && db <= 15)
        return db;
    if (db >= -79 && db <= -1)
        return 16 - db;
    return 95;
}

int tone_to_db(unsigned code)
{
    if (code <= 15)
        return -static_cast<int>(code);
    if (code <= 31)
        return static_cast<int>(code) - 16;
    return 0;
}

int db_to_tone(int db)
{
    if (db >= 1 && db <= 15)
        return db + 16;
    if (db >= -15 && db <= 0)
        return -db;
    return 0;
}

#include "cd_track_record.h"

cd_track_record::cd_track_record() : artist_(L"아티스트 없음"), album_(L"앨범 없음"), genre_(L"Other") {}

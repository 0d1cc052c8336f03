#pragma once
// cd_track_record: the texts of one audio CD track, as the table of contents
// gives them by default, as a title lookup found them, and as the CD tag and
// the track entries show them. A new record has no title, the artist
// "아티스트 없음", the album "앨범 없음", the genre "Other", track 0, year 0.
#include <string>

class cd_track_record {
public:
    cd_track_record();
    virtual ~cd_track_record() = default;
    cd_track_record(const cd_track_record&) = default;
    cd_track_record& operator=(const cd_track_record&) = default;

    std::wstring title() const { return title_; }
    std::wstring artist() const { return artist_; }
    std::wstring album() const { return album_; }
    std::wstring comment() const { return comment_; }
    std::wstring genre() const { return genre_; }
    int track_number() const { return track_number_; }
    int year() const { return year_; }

    void set_title(std::wstring value) { title_ = std::move(value); }
    void set_artist(std::wstring value) { artist_ = std::move(value); }
    void set_album(std::wstring value) { album_ = std::move(value); }
    void set_genre(std::wstring value) { genre_ = std::move(value); }
    void set_track_number(int value) { track_number_ = value; }
    void set_year(int value) { year_ = value; }

private:
    std::wstring title_;
    std::wstring artist_;
    std::wstring album_;
    std::wstring comment_;  // no source fills it
    std::wstring genre_;
    int track_number_ = 0;
    int year_ = 0;
};

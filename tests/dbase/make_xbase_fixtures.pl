#!/usr/bin/perl
# Writes tables whose language byte (29) is 0 with Perl's XBase module (libdbd-xbase-perl), as LibreOffice,
# R, GDAL and libxbase64 leave it, into the folder given:
#   utf8.dbf     text fields in UTF-8 (German, Polish, Japanese, an emoji), no ".cpg"
#   oem.dbf      text fields in code page 866 (Russian), no ".cpg"
#   latin.dbf    text fields in code page 1252; cyr.dbf in 1251 (the tests add ".cpg" files beside copies)
#   named.dbf    text in 1251 with language byte 0xC9 (1251) set
#   memo4.dbf    version 0x8B with a dBase IV ".dbt" (FF FF 08 00 block headers), one memo in UTF-8
#   memo3.dbf    version 0x83 with a dBase III ".dbt" (text ended by 0x1A 0x1A)
# Text is handed to XBase as bytes, so each table holds exactly the bytes of its page. Exits 3 when the XBase
# module is not installed.
use strict;
use warnings;
use Encode qw(encode);
use utf8;

eval { require XBase; 1 } or exit 3;

my $folder = shift @ARGV or die "usage: make_xbase_fixtures.pl FOLDER\n";

sub write_table {
    my ($name, $version, $codepage, $fields, @rows) = @_;
    my (@names, @types, @lengths);
    for my $field (@$fields) {
        my ($field_name, $type, $length) = @$field;
        push @names, $field_name;
        push @types, $type;
        push @lengths, $length;
    }
    my $table = XBase->create(name => "$folder/$name", version => $version, codepage => $codepage,
                              field_names => \@names, field_types => \@types, field_lengths => \@lengths,
                              field_decimals => [map { 0 } @names])
        or die XBase->errstr;
    my $number = 0;
    for my $row (@rows) {
        $table->set_record($number++, @$row) or die $table->errstr;
    }
    $table->close;
}

sub in_page {
    my ($page, @texts) = @_;
    return [map { encode($page, $_) } @texts];
}

my @people = (["Jürgen Müller", "Köln"], ["Zoë O'Neil", "São Paulo"], ["Ana", "Río"]);
my @fields = (["NAME", "C", 30], ["CITY", "C", 20]);

write_table("utf8.dbf", 3, 0, \@fields,
            in_page("UTF-8", "Jürgen Müller", "Köln"), in_page("UTF-8", "Paweł Łódź", "Gdańsk"),
            in_page("UTF-8", "山田太郎", "東京"), in_page("UTF-8", "Ana 😀", "Río"), ["Plain", "Ascii"]);
write_table("oem.dbf", 3, 0, \@fields, in_page("cp866", "Иван Петров", "Москва"), ["Plain", "Ascii"]);
write_table("latin.dbf", 3, 0, \@fields, map { in_page("cp1252", @$_) } @people);
write_table("cyr.dbf", 3, 0, \@fields, in_page("cp1251", "Иван Петров", "Москва"));
write_table("named.dbf", 3, 0xC9, \@fields, in_page("cp1251", "Иван Петров", "Москва"));
write_table("memo4.dbf", 0x0B, 0, [["NAME", "C", 10], ["NOTE", "M", 10]],
            ["Anna", "Hello"], ["Bob", "x" x 700], ["Clara", encode("UTF-8", "Grüße aus Köln")], ["Dan", ""]);
write_table("memo3.dbf", 3, 0, [["NAME", "C", 10], ["NOTE", "M", 10]], ["Anna", "Hello"], ["Bob", "y" x 600]);

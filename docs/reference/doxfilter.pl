#!/usr/bin/perl
# Doxygen input filter for the public headers. The headers are written with
# plain // comments; this turns the ones that document something into
# Doxygen comments, so that the sources stay free of markup:
# - the opening paragraph of a header becomes the file's description;
# - a comment block directly above a declaration at namespace or class
#   scope documents that declaration (a block followed by a blank line is a
#   section heading and stays a plain comment);
# - a trailing comment after a member or enumerator documents it;
# - indented lines inside such comments (tables, examples) are shown as
#   preformatted text, and quoted literals ("&amp;", "<tag>") as code, so
#   that they print as written.
# Comments inside function bodies are left alone. Line numbers are kept.
use strict;
use warnings;

my @lines = <>;
my @scopes;    # one entry per open brace: 1 for namespace/class scope, 0 otherwise
my $pending;   # text seen since the last '{', '}' or ';' (to classify a brace)
my $opening = 1;

sub in_scope { for (@scopes) { return 0 unless $_ } return 1 }

# Markdown takes text indented by four more than the paragraph as code.
sub doc_text {
  my ($text) = @_;
  return $text if $text =~ s/^(   )/$1   /;
  # Quoted texts are the system's own, backslashes included; they print as
  # code. A line with C escapes in its quotes keeps them as text, with its
  # angle brackets escaped. Doxygen reads a ' inside a code span as the end
  # of a `quoted' word, so those stay text too.
  if ($text =~ /\\"[^\s,.;:)]|\\""/) {
    $text =~ s/([<>])/\\$1/g;
    return $text;
  }
  return $text if $text =~ /`/;
  (my $bare = $text) =~ s/"[^"]*"//g;
  $text =~ s{("[^"]*")}{my $l = $1; $l =~ /'/ ? $l : "`$l`"}ge if $bare !~ /"/;
  return $text;
}

for (my $i = 0; $i < @lines; ++$i) {
  my $line = $lines[$i];
  if ($opening) {
    if ($line =~ m{^//(.*)$}) {
      my $text = doc_text($1);
      my $last = $i + 1 >= @lines || $lines[$i + 1] !~ m{^//};
      print "///$text", ($last ? " \\file" : ""), "\n";
      next;
    }
    $opening = 0;
  }
  if ($line =~ m{^(\s*)//(?!/)(.*)$} && in_scope()) {
    my ($indent, $text) = ($1, $2);
    my $j = $i;
    ++$j while $j < @lines && $lines[$j] =~ m{^\s*//};
    my $next = $j < @lines ? $lines[$j] : '';
    my $documents = $next =~ /\S/ && $next !~ m{^\s*(#|\}|public:|protected:|private:)};
    for my $k ($i .. $j - 1) {
      $lines[$k] =~ s{^(\s*)//(?!/)(.*)$}{$1 . '///' . doc_text($2)}e if $documents;
      print $lines[$k];
    }
    $i = $j - 1;
    next;
  }
  my $code = $line;
  if (in_scope() && $code !~ /"/ && $code =~ m{^(.*[;,]\s*)//(?!/)(.*)$}) {
    $line = "$1///<$2\n";
    $code = $1;
  }
  $code =~ s{//.*$}{};
  $code =~ s{"(?:\\.|[^"\\])*"}{""}g;
  $code =~ s{'(?:\\.|[^'\\])*'}{''}g;
  for my $ch (split //, $code) {
    if ($ch eq '{') {
      push @scopes, ($pending // '') =~ /\b(namespace|class|struct|union|enum)\b|extern\s*""/ ? 1 : 0;
      $pending = '';
    } elsif ($ch eq '}') {
      pop @scopes;
      $pending = '';
    } elsif ($ch eq ';') {
      $pending = '';
    } else {
      $pending .= $ch;
    }
  }
  print $line;
}

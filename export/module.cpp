// korvale_export

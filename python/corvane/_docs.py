DOCS = {}

-- Neovim as a user sets it up for grapho's language server: opens the file
-- GRAPHO_FILE, starts GRAPHO_SERVER on it, waits for its diagnostics and
-- writes them to GRAPHO_OUTPUT, one a line: line:column:severity:code:message,
-- lines and columns (in bytes) from 1, as Neovim places them in the buffer.
-- vim.lsp.start is Neovim 0.8's; Debian 12 has 0.7, which starts a client and
-- attaches it.
local server, file, output = os.getenv("GRAPHO_SERVER"), os.getenv("GRAPHO_FILE"),
  os.getenv("GRAPHO_OUTPUT")
vim.cmd("edit " .. vim.fn.fnameescape(file))
local buffer = vim.api.nvim_get_current_buf()
local config = { name = "grapho", cmd = { server, "--stdio" },
                 root_dir = vim.fn.fnamemodify(file, ":p:h") }
if vim.lsp.start then
  vim.lsp.start(config)
else
  vim.lsp.buf_attach_client(buffer, vim.lsp.start_client(config))
end

local found = vim.wait(60000, function() return #vim.diagnostic.get(buffer) > 0 end, 50)
local lines = {}
if found then
  for _, diagnostic in ipairs(vim.diagnostic.get(buffer)) do
    table.insert(lines, string.format("%d:%d:%s:%s:%s", diagnostic.lnum + 1, diagnostic.col + 1,
      vim.diagnostic.severity[diagnostic.severity], diagnostic.code or "", diagnostic.message))
  end
end
vim.fn.writefile(lines, output)
vim.cmd("qall!")
